#include "platform/batch/batch_pages.h"

#include "platform/clock.h"

namespace {
const BatchPolicy* g_policy = nullptr;

void close_stuck(Page page) {
    g_policy->stuck(page);
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
    const BatchStep step = g_policy->act(page);
    if (step == BatchStep::acted) return PageInput::taken;
    if (wait_ms == 0) return PageInput::nothing;
    if (step == BatchStep::stuck || page->timers.empty()) {
        close_stuck(page);
        return PageInput::taken;
    }
    sleep_ms(static_cast<uint32_t>(wait_ms));
    return PageInput::nothing;
}

void batch_changed(Page page, bool) { g_policy->changed(page); }
void batch_missing_control(Page, int) {}
void batch_ending(Page) {}

const PageBackend batch_backend{batch_input, batch_changed, batch_missing_control, batch_ending};
}  // namespace

void batch_set_policy(const BatchPolicy* policy) { g_policy = policy; }
bool batch_mode() { return g_policy != nullptr; }

void batch_yield() { page_model_yield(end_request() != 0); }

int batch_page_run(const PageLayout& layout, PageHandler handler) {
    return page_model_run(layout, handler, batch_backend);
}

int batch_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    return g_policy->answer(text, caption, buttons, icon);
}
