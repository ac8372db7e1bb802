#include "loads/erase_dialog.h"

#include <array>

#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"

namespace {
using K = ControlKind;

// The four dialogs are alike but for their title and the kind in the erase line.
constexpr std::array<ControlDecl, 12> erase_controls(const char* erase_line) {
    const std::array<ControlDecl, 4> heading{{
        {-1, K::static_text, "HTAWS file system is out of space.", 10, 8, 220, 8},
        {-1, K::static_text, erase_line, 10, 20, 220, 8},
        {-1, K::static_text, "OR", 10, 32, 220, 8},
        {-1, K::static_text, "NO LOAD", 10, 44, 220, 8},
    }};
    return join_controls(heading, reset_mode_rows(62));
}

constexpr auto terrain = erase_controls("Either erase the current Terrain Database and REBOOT...");
constexpr auto obstacle = erase_controls("Either erase the current Obstacle Database and REBOOT...");
constexpr auto navigation = erase_controls("Either erase the current Navigation Database and REBOOT...");
constexpr auto overlay = erase_controls("Either erase the current Overlay Database and REBOOT...");

constexpr std::array layouts{
    PageLayout{ERASE_TERRAIN_DIALOG, "Erase Terrain", 240, 140, true, terrain},
    PageLayout{ERASE_OBSTACLE_DIALOG, "Erase Obstacles", 240, 140, true, obstacle},
    PageLayout{ERASE_NAVIGATION_DIALOG, "Erase Navigation Data", 240, 140, true, navigation},
    PageLayout{ERASE_OVERLAY_DIALOG, "Erase Overlay Data", 240, 140, true, overlay},
};
}  // namespace

const PageLayout& erase_dialog_layout(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::terrain: return layouts[0];
        case DatabaseKind::obstacle: return layouts[1];
        case DatabaseKind::navigation: return layouts[2];
        case DatabaseKind::overlay: return layouts[3];
    }
    return layouts[0];
}

int offer_erase_dialog(DatabaseKind kind) { return choose_reset_mode(erase_dialog_layout(kind)); }
