#include "platform/batch/batch_pages.h"
#include "platform/clock.h"
#include "platform/term/keys.h"
#include "platform/term/render.h"
#include "platform/term/screen.h"
#include "platform/term/term_pages.h"
#include "platform/term/terminal.h"

namespace {
// Redraws during an operation are limited so the link is not slowed down.
constexpr uint64_t pump_redraw_ms = 100;

uint64_t g_last_draw = 0;

bool on_top(Page page) { return !running_pages().empty() && running_pages().back() == page; }

void draw(Page page) {
    if (!page->visible) return;
    const TermSize size = term_size();
    screen_show(render_page(*page, size.cols, size.rows));
    page->dirty = false;
    g_last_draw = now_ms();
}

void note_resize(Page page) {
    if (!term_take_resize()) return;
    screen_invalidate();
    page->dirty = true;
}

void on_key(Page page, Key key) {
    switch (key.kind) {
        case Key::tab:
        case Key::right: return move_focus(page, 1);
        case Key::back_tab:
        case Key::left: return move_focus(page, -1);
        case Key::up: return step_vertically(page, -1);
        case Key::down: return step_vertically(page, 1);
        case Key::character: return type_character(page, key.ch);
        case Key::backspace: return erase_character(page);
        case Key::enter: return press_enter(page);
        case Key::escape: return press_escape(page);
        case Key::end_of_input:
        case Key::none: return;
    }
}

// The page loop draws the page before it waits for a key.
PageInput read_key(Page page, int wait_ms, bool pumping) {
    note_resize(page);
    if (!pumping && wait_ms > 0 && (page->dirty || screen_is_stale())) {
        focused(page);
        draw(page);
    }
    const Key key = term_next_key(wait_ms);
    if (key.kind == Key::end_of_input) return term_end_signal() ? PageInput::end_requested : PageInput::input_ended;
    on_key(page, key);
    return key.kind == Key::none ? PageInput::nothing : PageInput::taken;
}

// An operation may block right after a change (a pause before the next page),
// so a terminal shows each change at once; only the frequent progress moves
// wait for the next redraw.
void changed(Page page, bool frequent) {
    if (!term_is_screen() || !on_top(page)) return;
    if (!frequent || now_ms() - g_last_draw >= pump_redraw_ms) draw(page);
}

// The terminal cannot show a handler's fault; the call was ignored.
void missing_control(Page, int) {}

void ending(Page) { screen_invalidate(); }

const PageBackend terminal_backend{read_key, changed, missing_control, ending};
}  // namespace

void term_pages_pump() {
    page_model_yield(term_end_signal() != 0);
    if (batch_mode() || running_pages().empty()) return;
    Page page = running_pages().back();
    if (term_is_screen() && (page->dirty || screen_is_stale()) && now_ms() - g_last_draw >= pump_redraw_ms)
        draw(page);
}

// A run from the command line answers by policy and draws no pages.
int page_run(const PageLayout& layout, PageHandler handler) {
    if (batch_mode()) return batch_page_run(layout, handler);
    term_enter();
    screen_invalidate();
    return page_model_run(layout, handler, terminal_backend);
}
