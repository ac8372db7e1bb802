#include "loads/erase_dialog.h"

#include <array>

#include "catalogue/setup_layout.h"
#include "catalogue/setup_page.h"

namespace {
using K = ControlKind;

// The four dialogs are alike but for their title and the kind in the erase line.
constexpr std::array<ControlDecl, 13> erase_controls(const char* erase_line) {
    return {{
        {-1, K::static_text, "HTAWS file system is out of space.", 10, 8, 220, 8},
        {-1, K::static_text, erase_line, 10, 20, 220, 8},
        {-1, K::static_text, "OR", 10, 32, 220, 8},
        {-1, K::static_text, "NO LOAD", 10, 44, 220, 8},
        {ID_FLIGHT_MODE, K::button, "FLT Mode", 10, 62, 50, 14},
        {-1, K::static_text, "Normal HTAWS functions - no USB", 66, 65, 160, 8},
        {ID_MAINTENANCE_MODE, K::button, "MNX Mode", 10, 80, 50, 14},
        {-1, K::static_text, "USB Upload maintenance and test", 66, 83, 160, 8},
        {ID_FACTORY_MODE, K::button, "FCT Mode", 10, 98, 50, 14},
        {-1, K::static_text, "USB Upload factory settings", 66, 101, 160, 8},
        {ID_RESET_CANCEL, K::button, "Cancel", 10, 116, 50, 14},
        {-1, K::static_text, "NO LOAD", 66, 119, 32, 8},
        {-1, K::static_text, "Don't Load. Don't RESET.", 100, 119, 126, 8},
    }};
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
