#include "platform/term/term_pages.h"
#include "platform/window.h"

// During an operation the technician's Cancel and Escape, and the page's own
// timers, are taken here between the link's waits.
void yield_to_window() { term_pages_pump(); }
