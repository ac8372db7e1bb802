#include "support/scripted_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {
struct ExpectedBox {
    std::string text;
    std::string caption;
    int answer;
};
struct Script {
    std::deque<ExpectedBox> expected;
    std::vector<RecordedBox> shown;
    std::function<void()> on_yield;
    std::function<int(const RecordedBox&)> unexpected;
};
Script g_script;
void (*g_pages_pump)() = nullptr;

int scripted_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    g_script.shown.push_back({std::string(text), std::string(caption), buttons, icon});
    if (g_script.expected.empty()) {
        if (g_script.unexpected) return g_script.unexpected(g_script.shown.back());
        ADD_FAILURE() << "unexpected message box [" << caption << "]: " << text;
        return buttons == BoxButtons::yes_no ? BOX_NO : BOX_CANCEL;
    }
    ExpectedBox next = g_script.expected.front();
    g_script.expected.pop_front();
    EXPECT_EQ(next.caption, caption) << "box text: " << text;
    EXPECT_EQ(next.text, text);
    return next.answer;
}

// A test may act as the technician here; then the running page takes its
// posted commands and due timers as on the terminal.
void scripted_yield() {
    if (g_script.on_yield) g_script.on_yield();
    if (g_pages_pump) g_pages_pump();
}
}  // namespace

const WindowSystem& scripted_window_system() {
    static const WindowSystem system{.message_box = scripted_box, .yield_to_window = scripted_yield};
    return system;
}

void script_reset() { g_script = Script{}; }

void script_expect_box(std::string text, std::string caption, int answer) {
    g_script.expected.push_back({std::move(text), std::move(caption), answer});
}

const std::vector<RecordedBox>& script_boxes() { return g_script.shown; }

std::size_t script_pending() { return g_script.expected.size(); }

void script_answer_unexpected(std::function<int(const RecordedBox&)> policy) {
    g_script.unexpected = std::move(policy);
}

void script_on_yield(std::function<void()> action) { g_script.on_yield = std::move(action); }

void script_pages_pump(void (*pump)()) { g_pages_pump = pump; }
