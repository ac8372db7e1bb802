#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>
#include <utility>

#include "loads/erase_dialog.h"
#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"
#include "support/scripted_pages.h"

namespace {
struct Case {
    DatabaseKind kind;
    int template_id;
    const char* title;
    const char* erase_line;
};
const Case kinds[] = {
    {DatabaseKind::terrain, ERASE_TERRAIN_DIALOG, "Erase Terrain",
     "Either erase the current Terrain Database and REBOOT..."},
    {DatabaseKind::obstacle, ERASE_OBSTACLE_DIALOG, "Erase Obstacles",
     "Either erase the current Obstacle Database and REBOOT..."},
    {DatabaseKind::navigation, ERASE_NAVIGATION_DIALOG, "Erase Navigation Data",
     "Either erase the current Navigation Database and REBOOT..."},
    {DatabaseKind::overlay, ERASE_OVERLAY_DIALOG, "Erase Overlay Data",
     "Either erase the current Overlay Database and REBOOT..."},
};

bool shows_text(const PageLayout& layout, const char* text) {
    for (const ControlDecl& c : layout.controls)
        if (std::string_view(c.text) == text) return true;
    return false;
}

TEST(EraseDialog, EachKindNamesItsDatabaseAndNeverOffersFactoryMode) {
    for (const Case& c : kinds) {
        SCOPED_TRACE(c.title);
        const PageLayout& layout = erase_dialog_layout(c.kind);
        EXPECT_EQ(layout.template_id, c.template_id);
        EXPECT_STREQ(layout.caption, c.title);
        EXPECT_TRUE(shows_text(layout, c.erase_line));
        pages_reset();
        script_page(c.template_id, {tech::click(ID_RESET_CANCEL)});
        EXPECT_EQ(offer_erase_dialog(c.kind), -1);
        EXPECT_FALSE(page_control(c.template_id, ID_FACTORY_MODE).visible);
        EXPECT_FALSE(page_control(c.template_id, ID_FACTORY_MODE).enabled);
        EXPECT_FALSE(page_control(c.template_id, ID_FACTORY_MODE_TEXT).visible) << "no description without its button";
    }
}

// The legend pairs each mode's name with what it means, in this order, the
// last line "NO LOAD"; Cancel stands apart below it.
TEST(EraseDialog, TheLegendEndsWithNoLoad) {
    const std::pair<const char*, const char*> legend[] = {
        {"FLT Mode", "Normal HTAWS functions - no USB"},
        {"MNX Mode", "USB Upload maintenance and test"},
        {"FCT Mode", "USB Upload factory settings"},
        {"NO LOAD", "Don't Load. Don't RESET."},
    };
    const PageLayout& layout = erase_dialog_layout(DatabaseKind::terrain);
    // The control showing `text` on the line at `y` (any line when y < 0).
    const auto at = [&layout](std::string_view text, int y) -> const ControlDecl* {
        for (const ControlDecl& c : layout.controls)
            if (c.text == text && (y < 0 || std::abs(c.y - y) < 8)) return &c;
        return nullptr;
    };
    int previous_y = 0;
    for (const auto& [name, meaning] : legend) {
        SCOPED_TRACE(name);
        const ControlDecl* right = at(meaning, -1);
        ASSERT_TRUE(right);
        const ControlDecl* left = at(name, right->y);
        ASSERT_TRUE(left) << "named on the line of its meaning";
        EXPECT_LT(left->x, right->x);
        EXPECT_GT(right->y, previous_y);
        previous_y = right->y;
    }
    const ControlDecl* cancel = at("Cancel", -1);
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->id, ID_RESET_CANCEL);
    EXPECT_GT(cancel->y, previous_y);
    EXPECT_LE(cancel->y + cancel->h, layout.h);
}

TEST(EraseDialog, TheButtonChosenIsTheResetMode) {
    struct Choice {
        TechAction action;
        int mode;
    };
    const Choice choices[] = {{tech::click(ID_FLIGHT_MODE), 0},
                              {tech::click(ID_MAINTENANCE_MODE), 1},
                              {tech::click(ID_RESET_CANCEL), -1},
                              {tech::close(), -1}};
    for (const Choice& choice : choices) {
        pages_reset();
        script_page(ERASE_OVERLAY_DIALOG, {choice.action});
        EXPECT_EQ(offer_erase_dialog(DatabaseKind::overlay), choice.mode);
        EXPECT_EQ(reset_mode(), choice.mode);
    }
}
}  // namespace
