#include "platform/batch/batch_pages.h"

#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"

namespace {
const BatchPolicy* g_policy = nullptr;

const BatchPolicy& policy() {
    if (!g_policy) {
        std::fputs("batch pages: no policy set to answer for the technician\n", stderr);
        std::fflush(stderr);
        std::abort();
    }
    return *g_policy;
}

void close_stuck(Page page) {
    policy().stuck(page);
    if (!page->close_sent) {
        page->close_sent = true;
        page_deliver(page, PageEvent::close, 0);
    }
    if (!page->ended) page_end(page, 2);
}

// Inside a handler (pumping) only a request to end the program counts: the
// policy acts between events, never in the middle of a procedure.
PageInput batch_input(Page page, int wait_ms, bool pumping) {
    if (end_request() != 0) return PageInput::end_requested;
    if (pumping) return PageInput::nothing;
    const BatchStep step = policy().act(page);
    if (step == BatchStep::acted) return PageInput::taken;
    if (wait_ms == 0) return PageInput::nothing;
    if (step == BatchStep::stuck || page->timers.empty()) {
        close_stuck(page);
        return PageInput::taken;
    }
    sleep_ms(static_cast<uint32_t>(wait_ms));
    return PageInput::nothing;
}

void batch_changed(Page page, bool) { policy().changed(page); }
void batch_missing_control(Page, int) {}
void batch_ending(Page) {}

const PageBackend batch_backend{batch_input, batch_changed, batch_missing_control, batch_ending};

int batch_page_run(const PageLayout& layout, PageHandler handler) {
    policy();
    return page_model_run(layout, handler, batch_backend);
}

int batch_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    return policy().answer(text, caption, buttons, icon);
}

// The top page's posted commands and due timers, and a request to end the program.
void batch_yield() { page_model_yield(end_request() != 0); }

std::optional<std::string> no_file(Page, const FilePicker&) { return std::nullopt; }
std::optional<std::string> no_folder(Page, std::string_view) { return std::nullopt; }
void nothing_after_pages(std::string_view) {}
}  // namespace

void batch_set_policy(const BatchPolicy* policy) { g_policy = policy; }

WindowSystem batch_window_system(void (*take_end_requests)(void (*)()), int (*end_request)()) {
    return {
        .pages = &page_model_functions,
        .page_run = batch_page_run,
        .pick_file = no_file,
        .browse_folder = no_folder,
        .message_box = batch_message_box,
        .yield_to_window = batch_yield,
        .take_end_requests = take_end_requests,
        .end_request = end_request,
        .show_after_pages = nothing_after_pages,
    };
}
