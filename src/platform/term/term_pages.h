#pragma once
// The terminal backend of the page model: the top page drawn on the screen,
// keys read as the technician's actions. Pages nest (a dialog over the setup
// page); only the top one is drawn.
#include "platform/page_model.h"

// Takes one pending key, posted command or due timer of the top page and
// dispatches it, then redraws if the page changed; never waits.
void term_pages_pump();
