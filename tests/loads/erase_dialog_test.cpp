#include <gtest/gtest.h>

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
    }
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
