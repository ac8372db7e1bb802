#include <gtest/gtest.h>

#include <array>
#include <map>

#include "platform/control_state.h"

namespace {
constexpr std::array with_default{
    ControlDecl{1000, ControlKind::button, "< &Back", 0, 0, 50, 14},
    ControlDecl{1001, ControlKind::default_button, "&Next >", 60, 0, 50, 14},
};
constexpr std::array without_default{
    ControlDecl{1000, ControlKind::button, "< &Back", 0, 0, 50, 14},
};

// Enter on the waiting page must not run its validation before the unit's
// tables are read: a hidden or disabled default button takes no Enter.
TEST(EnterCommand, IsTheDefaultButtonOnlyWhileItCanBePressed) {
    struct Case {
        bool has_default, visible, enabled;
        std::optional<int> command;
    };
    const Case cases[] = {
        {true, true, true, 1001},
        {true, false, false, std::nullopt},
        {true, true, false, std::nullopt},
        {false, true, true, 1},
    };
    for (const Case& c : cases) {
        const PageLayout layout{1, "page", 200, 100, true,
                                c.has_default ? std::span<const ControlDecl>(with_default)
                                              : std::span<const ControlDecl>(without_default)};
        std::map<int, ControlState> states;
        states[1001].visible = c.visible;
        states[1001].enabled = c.enabled;
        EXPECT_EQ(enter_command(layout, [&](int id) -> const ControlState& { return states[id]; }), c.command);
    }
}
}  // namespace
