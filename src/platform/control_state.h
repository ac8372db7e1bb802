#pragma once
// What a page backend keeps of each control: the state the handlers set and
// read through the page seam.
#include <optional>
#include <string>
#include <vector>

#include "platform/page_layout.h"

struct ControlState {
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool read_only = false;
    int low = 0, high = 100, position = 0;
    std::vector<std::string> items;
    int selection = -1;
};

// The command Enter gives on a page, as the dialog manager does: its default
// button's id when that button can be pressed, none while it is hidden or
// disabled, OK (1) on a page without one. `state_of` gives a control's state
// by its id.
template <class StateOf>
std::optional<int> enter_command(const PageLayout& layout, StateOf state_of) {
    for (const ControlDecl& d : layout.controls) {
        if (d.kind != ControlKind::default_button) continue;
        const ControlState& c = state_of(d.id);
        return c.visible && c.enabled ? std::optional<int>(d.id) : std::nullopt;
    }
    return 1;
}
