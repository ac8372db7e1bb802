#include "support/scripted_pages.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>

#include "platform/clock.h"
#include "platform/text_lines.h"

struct PageWindow {
    const PageLayout* layout;
    PageHandler handler;
    std::map<int, ScriptedControl> controls;
    std::string title;
    bool visible = true;
    bool ended = false;
    int result = 0;
    std::deque<int> posted;
    struct Timer {
        uint32_t interval;
        uint64_t due;
    };
    std::map<int, Timer> timers;
};

namespace {
// A page that keeps firing timers with nothing else happening is stuck.
constexpr int max_idle_ticks = 10000;

struct ScriptedAction {
    int template_id;
    TechAction action;
};

struct Pages {
    std::vector<std::unique_ptr<PageWindow>> stack;
    std::map<int, std::map<int, ScriptedControl>> last_controls;
    std::deque<ScriptedAction> script;
    std::deque<std::optional<std::string>> file_answers;
    std::deque<std::optional<std::string>> folder_answers;
    std::vector<PageRun> runs;
    std::vector<FilePicker> pickers;
    std::vector<std::string> browsers;
    Cursor cursor = Cursor::arrow;
};
Pages g_pages;

ScriptedControl& control_of(Page page, int control) {
    auto it = page->controls.find(control);
    if (it != page->controls.end()) return it->second;
    ADD_FAILURE() << "page " << page->layout->template_id << " has no control " << control;
    static ScriptedControl nowhere;
    nowhere = ScriptedControl{};
    return nowhere;
}

void dispatch(Page page, PageEvent event, int id) {
    if (!page->ended) page->handler(page, event, id);
}

void fire_timers_until(Page page, uint64_t until) {
    for (;;) {
        if (page->ended) return;
        auto next = page->timers.end();
        for (auto it = page->timers.begin(); it != page->timers.end(); ++it)
            if (next == page->timers.end() || it->second.due < next->second.due) next = it;
        if (next == page->timers.end() || next->second.due > until) break;
        const int id = next->first;
        if (next->second.due > now_ms()) sleep_ms(static_cast<uint32_t>(next->second.due - now_ms()));
        next->second.due = now_ms() + next->second.interval;
        dispatch(page, PageEvent::timer, id);
    }
    if (until > now_ms()) sleep_ms(static_cast<uint32_t>(until - now_ms()));
}

bool usable(Page page, int control, const char* what) {
    const ScriptedControl& c = control_of(page, control);
    if (c.enabled && c.visible) return true;
    ADD_FAILURE() << "the technician cannot " << what << " control " << control << " on page "
                  << page->layout->template_id << ": it is " << (c.visible ? "disabled" : "hidden");
    return false;
}

void perform(Page page, const TechAction& a) {
    switch (a.kind) {
        case TechAction::click:
            if (usable(page, a.control, "click")) dispatch(page, PageEvent::command, a.control);
            break;
        case TechAction::type:
            if (usable(page, a.control, "type into")) {
                ScriptedControl& c = control_of(page, a.control);
                if (c.read_only)
                    ADD_FAILURE() << "control " << a.control << " is read-only";
                else
                    c.text = a.text;
            }
            break;
        case TechAction::escape: dispatch(page, PageEvent::command, 2); break;
        case TechAction::enter:
            if (const auto command =
                    enter_command(*page->layout, [page](int id) -> const ControlState& { return control_of(page, id); }))
                dispatch(page, PageEvent::command, *command);
            break;
        case TechAction::close: dispatch(page, PageEvent::close, 0); break;
        case TechAction::mouse: dispatch(page, PageEvent::click, 0); break;
        case TechAction::hover: dispatch(page, PageEvent::cursor, 0); break;
        case TechAction::wait: fire_timers_until(page, now_ms() + a.ms); break;
        case TechAction::check: a.inspect(); break;
    }
}

bool applies(Page page, const ScriptedAction& s) {
    if (s.template_id != page->layout->template_id) return false;
    if (s.action.when_control == 0) return true;
    auto it = page->controls.find(s.action.when_control);
    return it != page->controls.end() && it->second.position > s.action.when_above;
}

// Actions waiting for a progress value are dispatched as soon as it is reached.
void run_triggered(Page page) {
    if (g_pages.script.empty() || g_pages.script.front().action.when_control == 0) return;
    if (!applies(page, g_pages.script.front())) return;
    TechAction a = g_pages.script.front().action;
    g_pages.script.pop_front();
    perform(page, a);
}

bool take_script_action(Page page) {
    if (g_pages.script.empty() || !applies(page, g_pages.script.front())) return false;
    TechAction a = g_pages.script.front().action;
    g_pages.script.pop_front();
    perform(page, a);
    return true;
}

void run_until_ended(Page page) {
    int idle_ticks = 0;
    while (!page->ended) {
        if (!page->posted.empty()) {
            const int command = page->posted.front();
            page->posted.pop_front();
            dispatch(page, PageEvent::command, command);
            idle_ticks = 0;
        } else if (take_script_action(page)) {
            idle_ticks = 0;
        } else if (!page->timers.empty() && ++idle_ticks <= max_idle_ticks) {
            uint64_t due = UINT64_MAX;
            for (const auto& [id, t] : page->timers) due = std::min(due, t.due);
            fire_timers_until(page, due);
        } else {
            ADD_FAILURE() << "page " << page->layout->template_id
                          << " waits for the technician, but the script has nothing for it; closing it";
            page->ended = true;
            page->result = 0;
        }
    }
}
}  // namespace

TechAction& TechAction::when_progress_passes(int progress_control, int value) {
    when_control = progress_control;
    when_above = value;
    return *this;
}

namespace tech {
namespace {
TechAction action(TechAction::Kind kind) {
    TechAction a;
    a.kind = kind;
    return a;
}
}  // namespace

TechAction click(int control) {
    TechAction a = action(TechAction::click);
    a.control = control;
    return a;
}
TechAction type(int control, std::string text) {
    TechAction a = action(TechAction::type);
    a.control = control;
    a.text = std::move(text);
    return a;
}
TechAction escape() { return action(TechAction::escape); }
TechAction enter() { return action(TechAction::enter); }
TechAction close() { return action(TechAction::close); }
TechAction mouse() { return action(TechAction::mouse); }
TechAction hover() { return action(TechAction::hover); }
TechAction wait(uint32_t ms) {
    TechAction a = action(TechAction::wait);
    a.ms = ms;
    return a;
}
TechAction check(std::function<void()> inspect) {
    TechAction a = action(TechAction::check);
    a.inspect = std::move(inspect);
    return a;
}
}  // namespace tech

void pages_reset() { g_pages = Pages{}; }

void script_page(int template_id, std::vector<TechAction> actions) {
    for (TechAction& a : actions) g_pages.script.push_back({template_id, std::move(a)});
}

void script_pick_file(std::optional<std::string> answer) { g_pages.file_answers.push_back(std::move(answer)); }
void script_pick_folder(std::optional<std::string> answer) { g_pages.folder_answers.push_back(std::move(answer)); }

std::size_t script_actions_pending() {
    return g_pages.script.size() + g_pages.file_answers.size() + g_pages.folder_answers.size();
}

const ScriptedControl& page_control(int template_id, int control) {
    for (auto it = g_pages.stack.rbegin(); it != g_pages.stack.rend(); ++it)
        if ((*it)->layout->template_id == template_id) return control_of(it->get(), control);
    auto page = g_pages.last_controls.find(template_id);
    if (page != g_pages.last_controls.end()) {
        auto c = page->second.find(control);
        if (c != page->second.end()) return c->second;
    }
    ADD_FAILURE() << "page " << template_id << " with control " << control << " was never shown";
    static ScriptedControl nowhere;
    return nowhere;
}

const std::vector<PageRun>& page_runs() { return g_pages.runs; }
const std::vector<FilePicker>& file_pickers() { return g_pages.pickers; }
std::vector<std::string> folder_browser_titles() { return g_pages.browsers; }
Cursor current_cursor() { return g_pages.cursor; }

int page_run(const PageLayout& layout, PageHandler handler) {
    auto owned = std::make_unique<PageWindow>();
    Page page = owned.get();
    page->layout = &layout;
    page->handler = handler;
    page->title = layout.caption;
    for (const ControlDecl& d : layout.controls) {
        if (d.id == -1) continue;
        ScriptedControl c;
        c.kind = d.kind;
        c.text = d.kind == ControlKind::picture ? "" : d.text;
        c.enabled = !(d.flags & CF_DISABLED);
        c.visible = !(d.flags & CF_HIDDEN);
        c.read_only = (d.flags & CF_READ_ONLY) != 0;
        page->controls[d.id] = c;
    }
    g_pages.stack.push_back(std::move(owned));
    const std::size_t run = g_pages.runs.size();
    g_pages.runs.push_back({layout.template_id, 0, page->title});
    dispatch(page, PageEvent::open, 0);
    run_until_ended(page);
    g_pages.runs[run].result = page->result;
    g_pages.runs[run].title = page->title;
    g_pages.last_controls[layout.template_id] = page->controls;
    g_pages.stack.pop_back();
    return g_pages.runs[run].result;
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
void page_set_title(Page page, std::string_view title) { page->title = title; }
std::string page_title(Page page) { return page->title; }
void page_show(Page page, bool visible) { page->visible = visible; }

void control_set_text(Page page, int control, std::string_view text) { control_of(page, control).text = text; }
std::string control_text(Page page, int control) { return control_of(page, control).text; }
void control_enable(Page page, int control, bool enabled) { control_of(page, control).enabled = enabled; }
void control_show(Page page, int control, bool visible) { control_of(page, control).visible = visible; }
void control_check(Page page, int control, bool checked) { control_of(page, control).checked = checked; }
bool control_checked(Page page, int control) { return control_of(page, control).checked; }
void control_set_read_only(Page page, int control, bool read_only) {
    control_of(page, control).read_only = read_only;
}

void progress_set_range(Page page, int control, int low, int high) {
    ScriptedControl& c = control_of(page, control);
    c.low = low;
    c.high = high;
}

void progress_set_position(Page page, int control, int position) {
    control_of(page, control).position = position;
    run_triggered(page);
}

int progress_position(Page page, int control) { return control_of(page, control).position; }

void list_set_items(Page page, int control, const std::vector<std::string>& items) {
    ScriptedControl& c = control_of(page, control);
    c.items = items;
    c.selection = -1;
}

void list_select(Page page, int control, int index) {
    ScriptedControl& c = control_of(page, control);
    c.selection = index >= 0 && static_cast<std::size_t>(index) < c.items.size() ? index : -1;
}

int list_selection(Page page, int control) { return control_of(page, control).selection; }

std::size_t edit_length(Page page, int control) { return control_of(page, control).text.size(); }

std::optional<std::size_t> edit_line_start(Page page, int control, std::size_t line) {
    return text_line_start(control_of(page, control).text, line);
}

void edit_remove_front(Page page, int control, std::size_t count) {
    std::string& text = control_of(page, control).text;
    text.erase(0, std::min(count, text.size()));
}

void edit_append(Page page, int control, std::string_view text) { control_of(page, control).text += text; }

std::optional<std::string> pick_file(Page owner, const FilePicker& picker) {
    g_pages.pickers.push_back(picker);
    if (g_pages.file_answers.empty()) {
        ADD_FAILURE() << "unexpected file picker \"" << picker.title << "\" on page " << owner->layout->template_id;
        return std::nullopt;
    }
    std::optional<std::string> answer = g_pages.file_answers.front();
    g_pages.file_answers.pop_front();
    return answer;
}

std::optional<std::string> browse_folder(Page owner, std::string_view title) {
    g_pages.browsers.emplace_back(title);
    if (g_pages.folder_answers.empty()) {
        ADD_FAILURE() << "unexpected folder browser \"" << title << "\" on page " << owner->layout->template_id;
        return std::nullopt;
    }
    std::optional<std::string> answer = g_pages.folder_answers.front();
    g_pages.folder_answers.pop_front();
    return answer;
}

Cursor set_cursor(Cursor cursor) { return std::exchange(g_pages.cursor, cursor); }
