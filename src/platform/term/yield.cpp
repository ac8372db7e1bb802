#include "platform/batch/batch_pages.h"
#include "platform/term/term_pages.h"
#include "platform/term/terminal.h"
#include "platform/window.h"

// During an operation the technician's Cancel and Escape, the page's own
// timers and a request to end the program are taken here between the link's waits.
void yield_to_window() { term_pages_pump(); }

void take_end_requests(void (*stop_between_pages)()) {
    term_catch_end_signals();
    page_model_stop_between_pages(stop_between_pages);
}

int end_request() { return term_end_signal(); }

void show_after_pages(std::string_view text) {
    if (batch_mode()) return;
    term_leave();
    term_write(text);
}
