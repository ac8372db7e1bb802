#pragma once
// The scripted page backend: the page model of the terminal backend, driven
// by a script of the technician's actions instead of keys. Timers fire on the
// virtual clock. A page that waits for the technician when the script has
// nothing more for it fails the test and is closed. Message boxes are answered
// by the scripted window backend (script_expect_box).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/page_model.h"

struct TechAction {
    enum Kind { click, type, escape, enter, close, mouse, hover, wait, check, command } kind = click;
    int control = 0;
    std::string text;
    uint32_t ms = 0;
    std::function<void()> inspect;
    // Performed the moment this progress bar passes the value, in the middle of
    // whatever the page is doing, as a button press is dispatched during a transfer.
    int when_control = 0;
    int when_above = 0;

    TechAction& when_progress_passes(int progress_control, int value);
};

// What the technician does on each page.
namespace tech {
TechAction click(int control);
TechAction type(int control, std::string text);
TechAction escape();
TechAction enter();
TechAction close();
TechAction mouse();
TechAction hover();
// Lets the page's timers run for this long.
TechAction wait(uint32_t ms);
// A command the page takes without a control of its own (a key of its accelerators).
TechAction command(int id);
// Runs a test's checks at this point of the page's life.
TechAction check(std::function<void()> inspect);
}  // namespace tech

using ScriptedControl = PageControl;

struct PageRun {
    int template_id;
    int result;
    std::string title;
    uint64_t ended_ms = 0;  // virtual time the page ended
};

// The page model driven by the script, with the scripted window's boxes.
const WindowSystem& scripted_pages_system();
void pages_reset();
// Appends actions for the page with this template, performed when that page
// is the one running.
void script_page(int template_id, std::vector<TechAction> actions);
// Answers for the next file picker / folder browser; nothing means Cancel.
void script_pick_file(std::optional<std::string> answer);
void script_pick_folder(std::optional<std::string> answer);
// A request to end the program, as the terminal's signal `signal` gives it:
// end_request() answers it from now on; cleared by pages_reset.
void script_end_request(int signal);
// What the program showed after its last page.
const std::string& script_after_pages();
// From now on a page waiting for the technician when the script has nothing
// for it takes the action `policy` gives for its template: asked at once, and
// again with `stuck` once its timers have run for long with nothing else
// happening; nothing from the policy then fails the test as before. Cleared
// by pages_reset.
void script_when_idle(std::function<std::optional<TechAction>(int template_id, bool stuck)> policy);
// Runs as each page opens, before its handler sees anything, and as it has
// ended; cleared by pages_reset.
void script_on_page(std::function<void(int template_id, bool opening)> action);
// Actions and picker answers not yet used.
std::size_t script_actions_pending();

// The control as it is now on the running page of this template, else as it
// was when that page last ended.
const ScriptedControl& page_control(int template_id, int control);
// The pages shown since the last reset, in order, with their results.
const std::vector<PageRun>& page_runs();
// The pickers asked since the last reset.
const std::vector<FilePicker>& file_pickers();
std::vector<std::string> folder_browser_titles();
Cursor current_cursor();
