#pragma once
// What the earlier-generation loads send: the airport data in memory, the
// ".hex" system image, the terrain header and data files. The earlier-
// generation setup prepares them when Next is pressed; when the setup page
// took the current-generation way (an earlier unit on the "Gadget Serial"
// port) they are prepared here from the technician's choice, through the same
// earlier-generation file checks.
#include "catalogue/loader_function.h"
#include "platform/pages.h"

// True when the function's inputs are ready (also for functions that need
// none); false after the check's refusal box.
bool earlier_inputs_ready(LoaderFunction function);
// The same on the transfer page: when the inputs cannot be prepared the link
// is closed and the page goes back to the setup page.
bool earlier_load_can_start(Page page, LoaderFunction function);
