#include "loads/erase_dialog.h"

#include <array>

#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"

namespace {
using K = ControlKind;

constexpr int legend_top = 62;
constexpr std::size_t mode_rows = 6;  // the FLT, MNX and FCT buttons with their descriptions

// The legend's last line names no button: "NO LOAD" beside what it means,
// with Cancel on a row of its own below the legend.
constexpr std::array<ControlDecl, 9> legend_and_buttons() {
    const auto rows = reset_mode_rows(legend_top);
    std::array<ControlDecl, 9> controls{};
    for (std::size_t i = 0; i < mode_rows; ++i) controls[i] = rows[i];
    const ControlDecl& cancel = rows[mode_rows];
    const ControlDecl& no_load_text = rows[mode_rows + 1];
    controls[6] = {-1, K::static_text, "NO LOAD", cancel.x, no_load_text.y, cancel.w, no_load_text.h};
    controls[7] = no_load_text;
    controls[8] = cancel;
    controls[8].y = no_load_text.y + 15;
    return controls;
}

// The four dialogs are alike but for their title and the kind in the erase line.
constexpr std::array<ControlDecl, 13> erase_controls(const char* erase_line) {
    const std::array<ControlDecl, 4> heading{{
        {-1, K::static_text, "HTAWS file system is out of space.", 10, 8, 220, 8},
        {-1, K::static_text, erase_line, 10, 20, 220, 8},
        {-1, K::static_text, "OR", 10, 32, 220, 8},
        {-1, K::static_text, "NO LOAD", 10, 44, 220, 8},
    }};
    return join_controls(heading, legend_and_buttons());
}

constexpr auto terrain = erase_controls("Either erase the current Terrain Database and REBOOT...");
constexpr auto obstacle = erase_controls("Either erase the current Obstacle Database and REBOOT...");
constexpr auto navigation = erase_controls("Either erase the current Navigation Database and REBOOT...");
constexpr auto overlay = erase_controls("Either erase the current Overlay Database and REBOOT...");

constexpr std::array layouts{
    PageLayout{ERASE_TERRAIN_DIALOG, "Erase Terrain", 240, 160, true, terrain},
    PageLayout{ERASE_OBSTACLE_DIALOG, "Erase Obstacles", 240, 160, true, obstacle},
    PageLayout{ERASE_NAVIGATION_DIALOG, "Erase Navigation Data", 240, 160, true, navigation},
    PageLayout{ERASE_OVERLAY_DIALOG, "Erase Overlay Data", 240, 160, true, overlay},
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
