#pragma once
// The running pages as the terminal and the scripted backends keep them: every
// control of a page's declaration with its state, the keyboard focus, timers,
// posted commands and the order events reach the handler. A backend only
// shows the page and supplies the technician's input; the functions on a
// running page are the model's (page_model_functions).
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/control_state.h"
#include "platform/pages.h"
#include "platform/window_system.h"

struct PageControl : ControlState {
    ControlDecl decl{-1, ControlKind::static_text, "", 0, 0, 0, 0};
    // Characters removed from the front of the text so far (a status box that
    // keeps its length, or a text replaced whole), so that a reader can tell
    // what is new at the end.
    std::size_t dropped = 0;
};

// What a backend's input step found.
enum class PageInput {
    nothing,        // no action came
    taken,          // one action was performed on the page
    input_ended,    // nobody can answer any more (the end of the terminal's input)
    end_requested,  // the program was asked from outside to end
};

struct PageBackend {
    // Takes at most one action of the technician on the page and performs it,
    // waiting at most wait_ms for it (0: only one that is ready now; pumping:
    // called from yield_to_window, in the middle of a handler).
    PageInput (*input)(Page page, int wait_ms, bool pumping);
    // A control, the title or the visibility changed; frequent: a progress move.
    void (*changed)(Page page, bool frequent);
    // A handler addressed a control the page does not have.
    void (*missing_control)(Page page, int control);
    // The page has ended and is about to go.
    void (*ending)(Page page);
};

struct PageWindow {
    const PageLayout* layout = nullptr;
    PageHandler handler = nullptr;
    const PageBackend* backend = nullptr;
    std::vector<PageControl> controls;
    std::string title;
    bool visible = true;
    // The open event has been handled: until then the page is being built and
    // a backend neither shows it nor takes the technician's input for it.
    bool opened = false;
    bool ended = false;
    bool dirty = true;
    int result = 0;
    int focus = -1;  // index into controls
    // Moving into a text box selects its text, as on Windows: typing replaces it.
    bool replace_text = false;
    bool close_sent = false;  // after the end of input or a request to end
    std::deque<int> posted;
    struct Timer {
        uint32_t interval;
        uint64_t due;
    };
    std::map<int, Timer> timers;
};

// The controls of a declaration in their initial state.
std::vector<PageControl> controls_of(const PageLayout& layout);
// The control with this id, nullptr when the page has none.
PageControl* page_find(Page page, int control);
// The pages running, the top one last.
const std::vector<Page>& running_pages();
// Delivers an event to the page's handler unless the page has ended.
void page_deliver(Page page, PageEvent event, int id);
// The cursor set_cursor showed last.
Cursor shown_cursor();

// Shows the page through the backend until it ends; the body of page_run.
int page_model_run(const PageLayout& layout, PageHandler handler, const PageBackend& backend);
// The body of yield_to_window: takes one pending posted command, ready action
// or due timer of the top page without waiting. While no page runs, a request
// to end the program calls the step given to page_model_stop_between_pages, once.
void page_model_yield(bool end_requested);
// The program's step that stops the work it does while no page runs (link
// waits at start-up); nullptr for none.
void page_model_stop_between_pages(void (*stop)());

// The earliest time a timer of the page is due, nothing without timers.
std::optional<uint64_t> next_timer_due(Page page);
// Fires the timer due first if it is due now.
bool fire_due_timer(Page page);

// The technician's actions, alike in every backend.
// A control the technician can move to with Tab and the arrows.
bool focusable(const PageControl& control);
// The focused control, settled first onto the default button, else the first
// focusable control, when it cannot hold the focus.
PageControl* focused(Page page);
void move_focus(Page page, int step);
// A press of a visible, enabled control: its command. False when it cannot be pressed.
bool press(Page page, int control);
// Enter: the focused button, else the page's default command.
void press_enter(Page page);
// Escape: Cancel (2), or a close request on a page without one.
void press_escape(Page page);
// A printable character typed into the focused text box; Space presses the
// focused control that is no text or list box.
void type_character(Page page, char ch);
void erase_character(Page page);
// Up and down: the selection of the focused list box, else the focus.
void step_vertically(Page page, int step);

// The page seam's functions on the model's pages, for the window systems whose
// pages the model keeps.
extern const PageFunctions page_model_functions;
