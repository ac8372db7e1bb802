// The page and window seams wholly in batch mode, for programs and tests that
// have no other window system.
#include <csignal>

#include "platform/batch/batch_pages.h"

namespace {
volatile std::sig_atomic_t g_end_signal = 0;
}

int page_run(const PageLayout& layout, PageHandler handler) { return batch_page_run(layout, handler); }

int message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    return batch_message_box(text, caption, buttons, icon);
}

void yield_to_window() { batch_yield(); }

void take_end_requests(void (*stop_between_pages)()) { page_model_stop_between_pages(stop_between_pages); }

int end_request() { return g_end_signal; }

void show_after_pages(std::string_view) {}

void batch_request_end(int signal) { g_end_signal = signal; }

std::optional<std::string> pick_file(Page, const FilePicker&) { return std::nullopt; }
std::optional<std::string> browse_folder(Page, std::string_view) { return std::nullopt; }
