#include <algorithm>
#include <memory>
#include <utility>

#include "platform/clock.h"
#include "platform/term/keys.h"
#include "platform/term/render.h"
#include "platform/term/screen.h"
#include "platform/term/terminal.h"
#include "platform/term/term_pages.h"

namespace {
// The longest text the technician may type into a box, as a Windows path.
constexpr std::size_t max_typed = 260;
// Redraws during an operation are limited so the link is not slowed down.
constexpr uint64_t pump_redraw_ms = 100;
constexpr int idle_wait_ms = 1000;

std::vector<PageWindow*> g_stack;
bool g_input_ended = false;
uint64_t g_last_draw = 0;
Cursor g_cursor = Cursor::arrow;

TermControl* find(Page page, int id) {
    for (TermControl& c : page->controls)
        if (c.decl.id == id && id != -1) return &c;
    return nullptr;
}

void draw(Page page) {
    if (!page->visible) return;
    const TermSize size = term_size();
    screen_show(render_page(*page, size.cols, size.rows));
    page->dirty = false;
    g_last_draw = now_ms();
}

// Setting a control the page does not have is a fault of the caller that the
// terminal cannot show; it is ignored as Windows ignores a missing control.
template <typename F>
void change(Page page, int id, F&& f, bool frequent = false) {
    if (TermControl* c = find(page, id)) {
        f(*c);
        changed(page, frequent);
    }
}

void dispatch(Page page, PageEvent event, int id) {
    if (!page->ended) page->handler(page, event, id);
}

void settle_focus(Page page) {
    const int n = int(page->controls.size());
    if (page->focus >= 0 && page->focus < n && focusable(page->controls[std::size_t(page->focus)])) return;
    page->focus = -1;
    for (int i = 0; i < n && page->focus < 0; ++i)
        if (page->controls[std::size_t(i)].decl.kind == ControlKind::default_button &&
            focusable(page->controls[std::size_t(i)]))
            page->focus = i;
    for (int i = 0; i < n && page->focus < 0; ++i)
        if (focusable(page->controls[std::size_t(i)])) page->focus = i;
}

void move_focus(Page page, int step) {
    settle_focus(page);
    const int n = int(page->controls.size());
    if (page->focus < 0) return;
    for (int i = 1; i <= n; ++i) {
        const int candidate = ((page->focus + step * i) % n + n) % n;
        if (focusable(page->controls[std::size_t(candidate)])) {
            page->focus = candidate;
            page->replace_text = true;
            break;
        }
    }
    page->dirty = true;
}

std::optional<int> default_command(Page page) {
    return enter_command(*page->layout, [page](int id) -> const ControlState& { return *find(page, id); });
}

TermControl* focused(Page page) {
    settle_focus(page);
    return page->focus < 0 ? nullptr : &page->controls[std::size_t(page->focus)];
}

bool is_button(const TermControl& c) {
    return c.decl.kind == ControlKind::button || c.decl.kind == ControlKind::default_button;
}

void on_key(Page page, Key key) {
    TermControl* f = focused(page);
    const bool typing = f && f->decl.kind == ControlKind::text_box;
    const bool list = f && f->decl.kind == ControlKind::list_box;
    switch (key.kind) {
        case Key::tab:
        case Key::right: return move_focus(page, 1);
        case Key::back_tab:
        case Key::left: return move_focus(page, -1);
        case Key::up:
        case Key::down: {
            const int step = key.kind == Key::up ? -1 : 1;
            if (!list || f->items.empty()) return move_focus(page, step);
            f->selection = std::clamp(f->selection + step, 0, int(f->items.size()) - 1);
            page->dirty = true;
            return;
        }
        case Key::character:
            if (typing && page->replace_text) f->text.clear();
            page->replace_text = false;
            if (typing && f->text.size() < max_typed) {
                f->text += key.ch;
                page->dirty = true;
            } else if (!typing && key.ch == ' ' && f && !list) {
                dispatch(page, PageEvent::command, f->decl.id);
            }
            return;
        case Key::backspace:
            page->replace_text = false;
            if (typing && !f->text.empty()) {
                f->text.pop_back();
                page->dirty = true;
            }
            return;
        case Key::enter: {
            const std::optional<int> command = f && is_button(*f) ? f->decl.id : default_command(page);
            if (command) dispatch(page, PageEvent::command, *command);
            return;
        }
        case Key::escape: return dispatch(page, PageEvent::command, 2);
        case Key::end_of_input: g_input_ended = true; return;
        case Key::none: return;
    }
}

// The timer due first, if it is due now.
bool fire_due_timer(Page page) {
    auto next = page->timers.end();
    for (auto it = page->timers.begin(); it != page->timers.end(); ++it)
        if (next == page->timers.end() || it->second.due < next->second.due) next = it;
    if (next == page->timers.end() || next->second.due > now_ms()) return false;
    next->second.due = now_ms() + next->second.interval;
    dispatch(page, PageEvent::timer, next->first);
    return true;
}

int wait_budget(Page page) {
    uint64_t due = now_ms() + idle_wait_ms;
    for (const auto& [id, t] : page->timers) due = std::min(due, t.due);
    return int(due > now_ms() ? due - now_ms() : 0);
}

// waiting: the page loop, which may wait and may cancel a page nobody can answer.
bool take_event(Page page, int timeout_ms, bool waiting) {
    if (!page->posted.empty()) {
        const int command = page->posted.front();
        page->posted.pop_front();
        dispatch(page, PageEvent::command, command);
        return true;
    }
    if (fire_due_timer(page)) return true;
    const int wait_ms = timeout_ms < 0 ? wait_budget(page) : std::min(timeout_ms, wait_budget(page));
    if (g_input_ended) {
        if (!waiting) return false;
        // Nobody can answer any more: each page is asked to close, and one
        // left waiting only for keys is cancelled.
        if (!page->close_sent) {
            page->close_sent = true;
            dispatch(page, PageEvent::close, 0);
        } else if (page->timers.empty()) {
            page_end(page, 2);
        } else {
            sleep_ms(uint32_t(wait_ms));
        }
        return false;
    }
    const Key key = term_next_key(wait_ms);
    on_key(page, key);
    return key.kind != Key::none;
}

void note_resize(Page page) {
    if (!term_take_resize()) return;
    screen_invalidate();
    page->dirty = true;
}
}  // namespace

// An operation may block right after a change (a pause before the next page),
// so a terminal shows each change at once; only the frequent progress moves
// wait for the next redraw.
void changed(Page page, bool frequent) {
    page->dirty = true;
    if (!term_is_screen() || g_stack.empty() || g_stack.back() != page) return;
    if (!frequent || now_ms() - g_last_draw >= pump_redraw_ms) draw(page);
}

std::vector<TermControl> controls_of(const PageLayout& layout) {
    std::vector<TermControl> controls;
    for (const ControlDecl& d : layout.controls) {
        TermControl c;
        c.decl = d;
        c.text = d.kind == ControlKind::picture ? "" : d.text;
        c.enabled = !(d.flags & CF_DISABLED);
        c.visible = !(d.flags & CF_HIDDEN);
        c.read_only = (d.flags & CF_READ_ONLY) != 0;
        controls.push_back(std::move(c));
    }
    return controls;
}

void term_pages_pump() {
    if (g_stack.empty()) return;
    Page page = g_stack.back();
    note_resize(page);
    take_event(page, 0, false);
    if (term_is_screen() && (page->dirty || screen_is_stale()) && now_ms() - g_last_draw >= pump_redraw_ms)
        draw(page);
}

int page_run(const PageLayout& layout, PageHandler handler) {
    term_enter();
    auto owned = std::make_unique<PageWindow>();
    Page page = owned.get();
    page->layout = &layout;
    page->handler = handler;
    page->title = layout.caption;
    page->controls = controls_of(layout);
    g_stack.push_back(page);
    screen_invalidate();
    dispatch(page, PageEvent::open, 0);
    while (!page->ended) {
        note_resize(page);
        settle_focus(page);
        if (page->dirty || screen_is_stale()) draw(page);
        take_event(page, -1, true);
    }
    g_stack.pop_back();
    if (!g_stack.empty()) g_stack.back()->dirty = true;
    screen_invalidate();
    return page->result;
}

void page_end(Page page, int result) {
    if (page->ended) return;
    page->ended = true;
    page->result = result;
    page->timers.clear();
}

void page_post_command(Page page, int command) { page->posted.push_back(command); }

void page_start_timer(Page page, int timer_id, uint32_t interval_ms) {
    page->timers[timer_id] = {interval_ms, now_ms() + interval_ms};
}

void page_kill_timer(Page page, int timer_id) { page->timers.erase(timer_id); }

void page_set_title(Page page, std::string_view title) {
    page->title = title;
    changed(page, false);
}

std::string page_title(Page page) { return page->title; }

void page_show(Page page, bool visible) {
    page->visible = visible;
    page->dirty = true;
}

void control_set_text(Page page, int control, std::string_view text) {
    change(page, control, [&](TermControl& c) { c.text = text; });
}

std::string control_text(Page page, int control) {
    const TermControl* c = find(page, control);
    return c ? c->text : std::string();
}

void control_enable(Page page, int control, bool enabled) {
    change(page, control, [&](TermControl& c) { c.enabled = enabled; });
}

void control_show(Page page, int control, bool visible) {
    change(page, control, [&](TermControl& c) { c.visible = visible; });
}

void control_check(Page page, int control, bool checked) {
    change(page, control, [&](TermControl& c) { c.checked = checked; });
}

bool control_checked(Page page, int control) {
    const TermControl* c = find(page, control);
    return c && c->checked;
}

void control_set_read_only(Page page, int control, bool read_only) {
    change(page, control, [&](TermControl& c) { c.read_only = read_only; });
}

void progress_set_range(Page page, int control, int low, int high) {
    change(page, control, [&](TermControl& c) {
        c.low = low;
        c.high = high;
    });
}

void progress_set_position(Page page, int control, int position) {
    change(page, control, [&](TermControl& c) { c.position = position; }, true);
}

int progress_position(Page page, int control) {
    const TermControl* c = find(page, control);
    return c ? c->position : 0;
}

void list_set_items(Page page, int control, const std::vector<std::string>& items) {
    change(page, control, [&](TermControl& c) {
        c.items = items;
        c.selection = -1;
    });
}

void list_select(Page page, int control, int index) {
    change(page, control, [&](TermControl& c) {
        c.selection = index >= 0 && std::size_t(index) < c.items.size() ? index : -1;
    });
}

int list_selection(Page page, int control) {
    const TermControl* c = find(page, control);
    return c ? c->selection : -1;
}

Cursor set_cursor(Cursor cursor) { return std::exchange(g_cursor, cursor); }
