#pragma once
// A page for output that is no terminal (a pipe, a file): its title, texts,
// status lines, checked choice and progress steps printed as lines, each once,
// so that the record reads from top to bottom.
#include "platform/term/term_pages.h"

// Prints what changed on the page since its last print.
void lines_show(const PageWindow& page);
// The page has ended: its last partial status line is printed, its record dropped.
void lines_forget(const PageWindow& page);
