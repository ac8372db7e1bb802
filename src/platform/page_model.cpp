#include "platform/page_model.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/clock.h"
#include "platform/text_lines.h"

namespace {
// The longest text the technician may type into a box, as a Windows path.
constexpr std::size_t max_typed = 260;
// A page waiting for input looks at its timers at least this often.
constexpr uint64_t idle_wait_ms = 1000;

std::vector<Page> g_stack;
Cursor g_cursor = Cursor::arrow;
void (*g_stop_between_pages)() = nullptr;

// Setting a control the page does not have is a fault of the caller; the
// backend reports it, and the call is ignored as Windows ignores a missing control.
PageControl* addressed(Page page, int id) {
    PageControl* c = page_find(page, id);
    if (!c) page->backend->missing_control(page, id);
    return c;
}

template <typename F>
void change(Page page, int id, F&& f, bool frequent = false) {
    if (PageControl* c = addressed(page, id)) {
        f(*c);
        page->dirty = true;
        page->backend->changed(page, frequent);
    }
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

bool is_button(const PageControl& c) {
    return c.decl.kind == ControlKind::button || c.decl.kind == ControlKind::default_button;
}

int wait_budget(Page page) {
    const uint64_t now = now_ms();
    const uint64_t due = std::min(now + idle_wait_ms, next_timer_due(page).value_or(UINT64_MAX));
    return int(due > now ? due - now : 0);
}

// The page seam's functions on the model's pages.
namespace model {
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
    page->dirty = true;
    page->backend->changed(page, false);
}

std::string page_title(Page page) { return page->title; }

void page_show(Page page, bool visible) {
    page->visible = visible;
    page->dirty = true;
}

void control_set_text(Page page, int control, std::string_view text) {
    change(page, control, [&](PageControl& c) {
        c.dropped += c.text.size();
        c.text = text;
    });
}

std::string control_text(Page page, int control) {
    const PageControl* c = addressed(page, control);
    return c ? c->text : std::string();
}

void control_enable(Page page, int control, bool enabled) {
    change(page, control, [&](PageControl& c) { c.enabled = enabled; });
}

void control_show(Page page, int control, bool visible) {
    change(page, control, [&](PageControl& c) { c.visible = visible; });
}

void control_check(Page page, int control, bool checked) {
    change(page, control, [&](PageControl& c) { c.checked = checked; });
}

bool control_checked(Page page, int control) {
    const PageControl* c = addressed(page, control);
    return c && c->checked;
}

void control_set_read_only(Page page, int control, bool read_only) {
    change(page, control, [&](PageControl& c) { c.read_only = read_only; });
}

void progress_set_range(Page page, int control, int low, int high) {
    change(page, control, [&](PageControl& c) {
        c.low = low;
        c.high = high;
    });
}

void progress_set_position(Page page, int control, int position) {
    change(page, control, [&](PageControl& c) { c.position = position; }, true);
}

int progress_position(Page page, int control) {
    const PageControl* c = addressed(page, control);
    return c ? c->position : 0;
}

void list_set_items(Page page, int control, const std::vector<std::string>& items) {
    change(page, control, [&](PageControl& c) {
        c.items = items;
        c.selection = -1;
    });
}

void list_select(Page page, int control, int index) {
    change(page, control, [&](PageControl& c) {
        c.selection = index >= 0 && std::size_t(index) < c.items.size() ? index : -1;
    });
}

int list_selection(Page page, int control) {
    const PageControl* c = addressed(page, control);
    return c ? c->selection : -1;
}

std::size_t edit_length(Page page, int control) {
    const PageControl* c = addressed(page, control);
    return c ? c->text.size() : 0;
}

std::optional<std::size_t> edit_line_start(Page page, int control, std::size_t line) {
    const PageControl* c = addressed(page, control);
    if (!c) return std::nullopt;
    return text_line_start(c->text, line);
}

void edit_remove_front(Page page, int control, std::size_t count) {
    change(page, control, [&](PageControl& c) {
        const std::size_t removed = std::min(count, c.text.size());
        c.text.erase(0, removed);
        c.dropped += removed;
    });
}

void edit_append(Page page, int control, std::string_view text) {
    change(page, control, [&](PageControl& c) { c.text += text; });
}

Cursor set_cursor(Cursor cursor) { return std::exchange(g_cursor, cursor); }
}  // namespace model

// Nobody will answer the page any more, or the program is to end: the page is
// asked to close as its close box would; one that stays open is cancelled as
// Escape would, except that after the end of input a page with timers may still
// end by itself.
void wind_up(Page page, bool end_requested) {
    if (!page->close_sent) {
        page->close_sent = true;
        page_deliver(page, PageEvent::close, 0);
    } else if (end_requested || page->timers.empty()) {
        model::page_end(page, 2);
    } else {
        sleep_ms(uint32_t(wait_budget(page)));
    }
}

// One event of the page, in the order a window's queue gives them: posted
// commands, then the technician's input, then a due timer. pumping: inside a
// handler, which never waits and leaves a page whose input ended alone.
void take_event(Page page, bool pumping) {
    if (!page->posted.empty()) {
        const int command = page->posted.front();
        page->posted.pop_front();
        page_deliver(page, PageEvent::command, command);
        return;
    }
    const PageInput ready = page->backend->input(page, 0, pumping);
    if (ready == PageInput::taken || fire_due_timer(page)) return;
    if (ready == PageInput::end_requested || (ready == PageInput::input_ended && !pumping))
        wind_up(page, ready == PageInput::end_requested);
    else if (!pumping)
        page->backend->input(page, wait_budget(page), false);
}
}  // namespace

std::vector<PageControl> controls_of(const PageLayout& layout) {
    std::vector<PageControl> controls;
    for (const ControlDecl& d : layout.controls) {
        PageControl c;
        c.decl = d;
        c.text = d.kind == ControlKind::picture ? "" : d.text;
        c.enabled = !(d.flags & CF_DISABLED);
        c.visible = !(d.flags & CF_HIDDEN);
        c.read_only = (d.flags & CF_READ_ONLY) != 0;
        controls.push_back(std::move(c));
    }
    return controls;
}

PageControl* page_find(Page page, int control) {
    for (PageControl& c : page->controls)
        if (c.decl.id == control && control != -1) return &c;
    return nullptr;
}

const std::vector<Page>& running_pages() { return g_stack; }

void page_deliver(Page page, PageEvent event, int id) {
    if (!page->ended) page->handler(page, event, id);
}

Cursor shown_cursor() { return g_cursor; }

int page_model_run(const PageLayout& layout, PageHandler handler, const PageBackend& backend) {
    auto owned = std::make_unique<PageWindow>();
    Page page = owned.get();
    page->layout = &layout;
    page->handler = handler;
    page->backend = &backend;
    page->title = layout.caption;
    page->controls = controls_of(layout);
    g_stack.push_back(page);
    // The page leaves the stack also when an exception unwinds through it, so
    // nothing after is dispatched to a page that is gone.
    struct Leaving {
        ~Leaving() {
            g_stack.pop_back();
            if (!g_stack.empty()) g_stack.back()->dirty = true;
        }
    } leaving;
    page_deliver(page, PageEvent::open, 0);
    page->opened = true;
    page->dirty = true;
    while (!page->ended) take_event(page, false);
    backend.ending(page);
    return page->result;
}

void page_model_yield(bool end_requested) {
    if (!g_stack.empty()) return take_event(g_stack.back(), true);
    if (end_requested && g_stop_between_pages) std::exchange(g_stop_between_pages, nullptr)();
}

void page_model_stop_between_pages(void (*stop)()) { g_stop_between_pages = stop; }

std::optional<uint64_t> next_timer_due(Page page) {
    std::optional<uint64_t> due;
    for (const auto& [id, t] : page->timers) due = std::min(due.value_or(t.due), t.due);
    return due;
}

bool fire_due_timer(Page page) {
    auto next = page->timers.end();
    for (auto it = page->timers.begin(); it != page->timers.end(); ++it)
        if (next == page->timers.end() || it->second.due < next->second.due) next = it;
    if (page->ended || next == page->timers.end() || next->second.due > now_ms()) return false;
    next->second.due = now_ms() + next->second.interval;
    page_deliver(page, PageEvent::timer, next->first);
    return true;
}

bool focusable(const PageControl& c) {
    if (!c.visible || !c.enabled) return false;
    switch (c.decl.kind) {
        case ControlKind::button:
        case ControlKind::default_button:
        case ControlKind::radio:
        case ControlKind::list_box: return true;
        case ControlKind::text_box: return !c.read_only;
        default: return false;
    }
}

PageControl* focused(Page page) {
    settle_focus(page);
    return page->focus < 0 ? nullptr : &page->controls[std::size_t(page->focus)];
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

bool press(Page page, int control) {
    const PageControl* c = page_find(page, control);
    if (!c || !c->visible || !c->enabled) return false;
    page_deliver(page, PageEvent::command, control);
    return true;
}

void press_enter(Page page) {
    const PageControl* f = focused(page);
    const std::optional<int> command =
        f && is_button(*f) ? f->decl.id
                           : enter_command(*page->layout, [page](int id) -> const ControlState& { return *page_find(page, id); });
    if (command) page_deliver(page, PageEvent::command, *command);
}

// A page with a Cancel button (id 2) takes Escape as that button, as a dialog
// does; on a page without one (the splash) Escape is the terminal's way to
// close the window, as Alt+F4 is on Windows.
void press_escape(Page page) {
    if (page_find(page, 2))
        page_deliver(page, PageEvent::command, 2);
    else
        page_deliver(page, PageEvent::close, 0);
}

void type_character(Page page, char ch) {
    PageControl* f = focused(page);
    const bool typing = f && f->decl.kind == ControlKind::text_box;
    if (typing && page->replace_text) f->text.clear();
    page->replace_text = false;
    if (typing && f->text.size() < max_typed) {
        f->text += ch;
        page->dirty = true;
    } else if (!typing && ch == ' ' && f && f->decl.kind != ControlKind::list_box) {
        page_deliver(page, PageEvent::command, f->decl.id);
    }
}

void erase_character(Page page) {
    PageControl* f = focused(page);
    page->replace_text = false;
    if (f && f->decl.kind == ControlKind::text_box && !f->text.empty()) {
        f->text.pop_back();
        page->dirty = true;
    }
}

void step_vertically(Page page, int step) {
    PageControl* f = focused(page);
    if (!f || f->decl.kind != ControlKind::list_box || f->items.empty()) return move_focus(page, step);
    f->selection = std::clamp(f->selection + step, 0, int(f->items.size()) - 1);
    page->dirty = true;
}


const PageFunctions page_model_functions{
    .page_end = model::page_end,
    .page_post_command = model::page_post_command,
    .page_start_timer = model::page_start_timer,
    .page_kill_timer = model::page_kill_timer,
    .page_set_title = model::page_set_title,
    .page_title = model::page_title,
    .page_show = model::page_show,
    .control_set_text = model::control_set_text,
    .control_text = model::control_text,
    .control_enable = model::control_enable,
    .control_show = model::control_show,
    .control_check = model::control_check,
    .control_checked = model::control_checked,
    .control_set_read_only = model::control_set_read_only,
    .progress_set_range = model::progress_set_range,
    .progress_set_position = model::progress_set_position,
    .progress_position = model::progress_position,
    .list_set_items = model::list_set_items,
    .list_select = model::list_select,
    .list_selection = model::list_selection,
    .edit_length = model::edit_length,
    .edit_line_start = model::edit_line_start,
    .edit_remove_front = model::edit_remove_front,
    .edit_append = model::edit_append,
    .set_cursor = model::set_cursor,
};
