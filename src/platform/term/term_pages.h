#pragma once
// The terminal backend's model of the running pages: every control of the
// page's declaration with its state, the keyboard focus, timers and posted
// commands. Pages nest (a dialog over the setup page); only the top one is drawn.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/control_state.h"
#include "platform/pages.h"

struct TermControl : ControlState {
    ControlDecl decl{-1, ControlKind::static_text, "", 0, 0, 0, 0};
};

struct PageWindow {
    const PageLayout* layout = nullptr;
    PageHandler handler = nullptr;
    std::vector<TermControl> controls;
    std::string title;
    bool visible = true;
    bool ended = false;
    bool dirty = true;
    int result = 0;
    int focus = -1;  // index into controls
    // Moving into a text box selects its text, as on Windows: typing replaces it.
    bool replace_text = false;
    bool close_sent = false;  // after the end of input
    std::deque<int> posted;
    struct Timer {
        uint32_t interval;
        uint64_t due;
    };
    std::map<int, Timer> timers;
};

// The controls of a declaration in their initial state.
std::vector<TermControl> controls_of(const PageLayout& layout);
// Marks the page for redrawing; a terminal shows the change at once unless it
// is frequent (a progress move) and the screen was drawn very recently.
void changed(Page page, bool frequent);
// Takes one pending key, posted command or due timer of the top page and
// dispatches it, then redraws if the page changed; never waits.
void term_pages_pump();
