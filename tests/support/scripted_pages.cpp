#include "support/scripted_pages.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "platform/clock.h"
#include "platform/window.h"
#include "support/scripted_window.h"

namespace {
// A page that keeps firing timers with nothing else happening is stuck.
constexpr int max_idle_ticks = 10000;

struct ScriptedAction {
    int template_id;
    TechAction action;
};

struct Pages {
    std::vector<std::size_t> running_runs;  // the index in `runs` of each running page
    std::map<int, std::vector<PageControl>> last_controls;
    std::deque<ScriptedAction> script;
    std::deque<std::optional<std::string>> file_answers;
    std::deque<std::optional<std::string>> folder_answers;
    std::vector<PageRun> runs;
    std::vector<FilePicker> pickers;
    std::vector<std::string> browsers;
    int idle_ticks = 0;
    int end_signal = 0;
    std::string after_pages;
    std::function<std::optional<TechAction>(int, bool)> when_idle;
    std::function<void(int, bool)> on_page;
};
Pages g_pages;

void pump_pages() { page_model_yield(g_pages.end_signal != 0); }

const PageControl& control_of(Page page, int control) {
    if (const PageControl* c = page_find(page, control)) return *c;
    ADD_FAILURE() << "page " << page->layout->template_id << " has no control " << control;
    static PageControl nowhere;
    nowhere = PageControl{};
    return nowhere;
}

void fire_timers_until(Page page, uint64_t until) {
    for (;;) {
        const std::optional<uint64_t> due = next_timer_due(page);
        if (page->ended || !due || *due > until) break;
        if (*due > now_ms()) sleep_ms(static_cast<uint32_t>(*due - now_ms()));
        fire_due_timer(page);
    }
    if (until > now_ms()) sleep_ms(static_cast<uint32_t>(until - now_ms()));
}

bool usable(Page page, int control, const char* what) {
    const PageControl& c = control_of(page, control);
    if (c.enabled && c.visible) return true;
    ADD_FAILURE() << "the technician cannot " << what << " control " << control << " on page "
                  << page->layout->template_id << ": it is " << (c.visible ? "disabled" : "hidden");
    return false;
}

void perform(Page page, const TechAction& a) {
    switch (a.kind) {
        case TechAction::click:
            if (usable(page, a.control, "click")) press(page, a.control);
            break;
        case TechAction::type:
            if (!usable(page, a.control, "type into")) break;
            if (PageControl* c = page_find(page, a.control); c && c->read_only)
                ADD_FAILURE() << "control " << a.control << " is read-only";
            else if (c)
                c->text = a.text;
            break;
        case TechAction::escape: press_escape(page); break;
        case TechAction::enter: press_enter(page); break;
        case TechAction::close: page_deliver(page, PageEvent::close, 0); break;
        case TechAction::mouse: page_deliver(page, PageEvent::click, 0); break;
        case TechAction::hover: page_deliver(page, PageEvent::cursor, 0); break;
        case TechAction::wait: fire_timers_until(page, now_ms() + a.ms); break;
        case TechAction::check: a.inspect(); break;
        case TechAction::command: page_post_command(page, a.control); break;
    }
}

bool applies(Page page, const ScriptedAction& s) {
    if (s.template_id != page->layout->template_id) return false;
    if (s.action.when_control == 0) return true;
    const PageControl* c = page_find(page, s.action.when_control);
    return c && c->position > s.action.when_above;
}

bool take_script_action(Page page) {
    if (g_pages.script.empty() || !applies(page, g_pages.script.front())) return false;
    TechAction a = g_pages.script.front().action;
    g_pages.script.pop_front();
    perform(page, a);
    g_pages.idle_ticks = 0;
    return true;
}

bool take_idle_action(Page page, bool stuck) {
    if (!g_pages.when_idle) return false;
    std::optional<TechAction> a = g_pages.when_idle(page->layout->template_id, stuck);
    if (!a) return false;
    g_pages.idle_ticks = 0;
    perform(page, *a);
    return true;
}

// The script's next action for the page; inside a handler only the one waiting
// for a progress value. With nothing for it, the page's timers run on the
// virtual clock, and a page waiting for the technician fails the test.
PageInput scripted_input(Page page, int wait_ms, bool pumping) {
    if (end_request() != 0) return PageInput::end_requested;
    if (pumping) return PageInput::nothing;
    if (take_script_action(page)) return PageInput::taken;
    if (wait_ms == 0) return PageInput::nothing;
    if (take_idle_action(page, false)) return PageInput::taken;
    if (!page->timers.empty() && ++g_pages.idle_ticks <= max_idle_ticks) {
        sleep_ms(static_cast<uint32_t>(wait_ms));
        return PageInput::nothing;
    }
    if (take_idle_action(page, true)) return PageInput::taken;
    ADD_FAILURE() << "page " << page->layout->template_id
                  << " waits for the technician, but the script has nothing for it; closing it";
    page_end(page, 0);
    return PageInput::nothing;
}

// Actions waiting for a progress value are performed as soon as it is reached.
void scripted_changed(Page page, bool frequent) {
    if (frequent && !g_pages.script.empty() && g_pages.script.front().action.when_control != 0)
        take_script_action(page);
}

void scripted_missing_control(Page page, int control) { control_of(page, control); }

void scripted_ending(Page page) {
    PageRun& run = g_pages.runs[g_pages.running_runs.back()];
    run.result = page->result;
    run.title = page->title;
    run.ended_ms = now_ms();
    g_pages.last_controls[page->layout->template_id] = page->controls;
}

const PageBackend scripted_backend{scripted_input, scripted_changed, scripted_missing_control, scripted_ending};
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
TechAction command(int id) {
    TechAction a = action(TechAction::command);
    a.control = id;
    return a;
}
TechAction check(std::function<void()> inspect) {
    TechAction a = action(TechAction::check);
    a.inspect = std::move(inspect);
    return a;
}
}  // namespace tech

void pages_reset() {
    g_pages = Pages{};
    set_cursor(Cursor::arrow);
    page_model_stop_between_pages(nullptr);
    script_pages_pump(pump_pages);
}

void script_when_idle(std::function<std::optional<TechAction>(int template_id, bool stuck)> policy) {
    g_pages.when_idle = std::move(policy);
}

void script_on_page(std::function<void(int template_id, bool opening)> action) { g_pages.on_page = std::move(action); }

void script_end_request(int signal) { g_pages.end_signal = signal; }

const std::string& script_after_pages() { return g_pages.after_pages; }

void script_page(int template_id, std::vector<TechAction> actions) {
    for (TechAction& a : actions) g_pages.script.push_back({template_id, std::move(a)});
}

void script_pick_file(std::optional<std::string> answer) { g_pages.file_answers.push_back(std::move(answer)); }
void script_pick_folder(std::optional<std::string> answer) { g_pages.folder_answers.push_back(std::move(answer)); }

std::size_t script_actions_pending() {
    return g_pages.script.size() + g_pages.file_answers.size() + g_pages.folder_answers.size();
}

const ScriptedControl& page_control(int template_id, int control) {
    const std::vector<Page>& running = running_pages();
    for (auto it = running.rbegin(); it != running.rend(); ++it)
        if ((*it)->layout->template_id == template_id) return control_of(*it, control);
    auto page = g_pages.last_controls.find(template_id);
    if (page != g_pages.last_controls.end())
        for (const PageControl& c : page->second)
            if (c.decl.id == control && control != -1) return c;
    ADD_FAILURE() << "page " << template_id << " with control " << control << " was never shown";
    static ScriptedControl nowhere;
    return nowhere;
}

const std::vector<PageRun>& page_runs() { return g_pages.runs; }
const std::vector<FilePicker>& file_pickers() { return g_pages.pickers; }
std::vector<std::string> folder_browser_titles() { return g_pages.browsers; }
Cursor current_cursor() { return shown_cursor(); }

namespace {
int scripted_page_run(const PageLayout& layout, PageHandler handler) {
    g_pages.running_runs.push_back(g_pages.runs.size());
    g_pages.runs.push_back({layout.template_id, 0, layout.caption});
    g_pages.idle_ticks = 0;
    if (g_pages.on_page) g_pages.on_page(layout.template_id, true);
    const int result = page_model_run(layout, handler, scripted_backend);
    if (g_pages.on_page) g_pages.on_page(layout.template_id, false);
    g_pages.running_runs.pop_back();
    return result;
}

std::optional<std::string> scripted_pick_file(Page owner, const FilePicker& picker) {
    g_pages.pickers.push_back(picker);
    if (g_pages.file_answers.empty()) {
        ADD_FAILURE() << "unexpected file picker \"" << picker.title << "\" on page " << owner->layout->template_id;
        return std::nullopt;
    }
    std::optional<std::string> answer = g_pages.file_answers.front();
    g_pages.file_answers.pop_front();
    return answer;
}

std::optional<std::string> scripted_browse_folder(Page owner, std::string_view title) {
    g_pages.browsers.emplace_back(title);
    if (g_pages.folder_answers.empty()) {
        ADD_FAILURE() << "unexpected folder browser \"" << title << "\" on page " << owner->layout->template_id;
        return std::nullopt;
    }
    std::optional<std::string> answer = g_pages.folder_answers.front();
    g_pages.folder_answers.pop_front();
    return answer;
}

int scripted_end_request() { return g_pages.end_signal; }

void scripted_after_pages(std::string_view text) { g_pages.after_pages += text; }
}  // namespace

const WindowSystem& scripted_pages_system() {
    static const WindowSystem system{
        .pages = &page_model_functions,
        .page_run = scripted_page_run,
        .pick_file = scripted_pick_file,
        .browse_folder = scripted_browse_folder,
        .message_box = scripted_window_system().message_box,
        .yield_to_window = scripted_window_system().yield_to_window,
        .take_end_requests = page_model_stop_between_pages,
        .end_request = scripted_end_request,
        .show_after_pages = scripted_after_pages,
    };
    return system;
}
