#include "platform/batch/batch_pages.h"
#include "platform/system_window.h"
#include "platform/term/term_pages.h"
#include "platform/term/terminal.h"

namespace {
void catch_end_signals(void (*stop_between_pages)()) {
    term_catch_end_signals();
    page_model_stop_between_pages(stop_between_pages);
}

void leave_text_after_pages(std::string_view text) {
    term_leave();
    term_write(text);
}
}  // namespace

// During an operation the technician's Cancel and Escape, the page's own
// timers and a request to end the program are taken in term_pages_pump
// between the link's waits.
const WindowSystem& wizard_window_system() {
    static const WindowSystem system{
        .pages = &page_model_functions,
        .page_run = term_page_run,
        .pick_file = term_pick_file,
        .browse_folder = term_browse_folder,
        .message_box = term_message_box,
        .yield_to_window = term_pages_pump,
        .take_end_requests = catch_end_signals,
        .end_request = term_end_signal,
        .show_after_pages = leave_text_after_pages,
    };
    return system;
}

// A run from the command line answers by policy and draws nothing; Ctrl-C,
// SIGHUP and SIGTERM still ask it to end.
const WindowSystem& command_line_window_system() {
    static const WindowSystem system = batch_window_system(catch_end_signals, term_end_signal);
    return system;
}
