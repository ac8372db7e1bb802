#include <set>

#include "platform/clock.h"
#include "platform/term/keys.h"
#include "platform/term/lines.h"
#include "platform/term/render.h"
#include "platform/term/screen.h"
#include "platform/term/term_pages.h"
#include "platform/term/terminal.h"

namespace {
// Redraws during an operation are limited so the link is not slowed down.
constexpr uint64_t pump_redraw_ms = 100;

uint64_t g_last_draw = 0;
// The running pages drawn at least once.
std::set<const PageWindow*> g_drawn;

bool on_top(Page page) { return !running_pages().empty() && running_pages().back() == page; }

// A page is first drawn whole, once its open event has set it up; keys typed
// before, at whatever the screen showed then, are dropped rather than taken
// by the page's first focused control. The focus is settled before each draw,
// so the mark is never on a control that cannot take it.
void draw(Page page) {
    if (!page->visible || !page->opened) return;
    if (!g_drawn.count(page)) {
        g_drawn.insert(page);
        drop_typed_ahead();
    }
    focused(page);
    if (term_is_screen()) {
        const TermSize size = term_size();
        screen_show(render_page(*page, size.cols, size.rows));
    } else {
        lines_show(*page);
    }
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

// The page loop draws the page before it takes a key; a page not yet drawn
// takes none (its open handler may let the window run while it works).
PageInput read_key(Page page, int wait_ms, bool pumping) {
    note_resize(page);
    if (!pumping && (page->dirty || screen_is_stale())) draw(page);
    if (!g_drawn.count(page)) return term_end_signal() ? PageInput::end_requested : PageInput::nothing;
    const Key key = term_next_key(wait_ms);
    if (key.kind == Key::end_of_input) return term_end_signal() ? PageInput::end_requested : PageInput::input_ended;
    on_key(page, key);
    return key.kind == Key::none ? PageInput::nothing : PageInput::taken;
}

// An operation may block right after a change (a pause before the next page),
// so a terminal shows each change at once; only the frequent progress moves
// wait for the next redraw. Output that is no terminal gets every change, as
// lines that say only what is new.
void changed(Page page, bool frequent) {
    if (!on_top(page)) return;
    if (!term_is_screen() || !frequent || now_ms() - g_last_draw >= pump_redraw_ms) draw(page);
}

// The terminal cannot show a handler's fault; the call was ignored.
void missing_control(Page, int) {}

void ending(Page page) {
    if (!term_is_screen() && g_drawn.count(page)) lines_forget(*page);
    g_drawn.erase(page);
    screen_invalidate();
}

const PageBackend terminal_backend{read_key, changed, missing_control, ending};
}  // namespace

void term_pages_pump() {
    page_model_yield(term_end_signal() != 0);
    if (running_pages().empty()) return;
    Page page = running_pages().back();
    if (term_is_screen() && (page->dirty || screen_is_stale()) && now_ms() - g_last_draw >= pump_redraw_ms)
        draw(page);
}

int term_page_run(const PageLayout& layout, PageHandler handler) {
    term_enter();
    screen_invalidate();
    return page_model_run(layout, handler, terminal_backend);
}
