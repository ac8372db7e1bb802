#include "setup/setup_layout.h"

#include <array>

#include "catalogue/loader_function.h"

namespace {
using K = ControlKind;

constexpr std::array setup{
    ControlDecl{-1, K::picture, "112", 5, 5, 100, 200},
    ControlDecl{-1, K::static_text, "Select Top Level Directory", 112, 5, 120, 8},
    ControlDecl{ID_FOLDER_BOX, K::text_box, "", 112, 15, 250, 12, CF_READ_ONLY},
    ControlDecl{ID_FOLDER_BROWSE, K::button, "Browse", 368, 14, 50, 14},
    ControlDecl{-1, K::group_box, "Update System Software", 112, 32, 150, 48},
    ControlDecl{LF_SYSTEM_SOFTWARE, K::radio, "Write new System Software to Unit", 118, 42, 140, 10},
    ControlDecl{LF_OS_IMAGE, K::radio, "Write new OS files to Unit", 118, 54, 140, 10},
    ControlDecl{LF_BOOT_IMAGE, K::radio, "Write new Bootloader file to Unit", 118, 66, 140, 10},
    ControlDecl{-1, K::group_box, "Update Database", 268, 32, 150, 60},
    ControlDecl{LF_TERRAIN, K::radio, "Write new Terrain database to Unit", 274, 42, 140, 10},
    ControlDecl{LF_AIRPORT, K::radio, "Write new Airport database to Unit", 274, 54, 140, 10},
    ControlDecl{LF_OBSTACLE, K::radio, "Write new Obstacle database to Unit", 274, 66, 140, 10},
    ControlDecl{LF_OVERLAY, K::radio, "Write new Overlay database to Unit", 274, 78, 140, 10},
    ControlDecl{-1, K::group_box, "Update Configuration", 112, 96, 150, 60},
    ControlDecl{LF_READ_CONFIG, K::radio, "Read Configuration from Unit", 118, 106, 140, 10},
    ControlDecl{LF_WRITE_CONFIG, K::radio, "Write Configuration to Unit", 118, 118, 140, 10},
    ControlDecl{LF_HASS_CONFIG, K::radio, "Set HASS Configuration", 118, 130, 140, 10},
    ControlDecl{LF_NO_GAMMA_CONFIG, K::radio, "Set No GAMMA Configuration", 118, 142, 140, 10},
    ControlDecl{-1, K::group_box, "Flight Data Recordings", 268, 96, 150, 36},
    ControlDecl{LF_DOWNLOAD_RECORDING, K::radio, "Download Flight Data Recording", 274, 106, 140, 10},
    ControlDecl{LF_ERASE_RECORDING, K::radio, "Erase Flight Data Recording", 274, 118, 140, 10},
    ControlDecl{-1, K::static_text, "System File", 112, 160, 60, 8},
    ControlDecl{ID_SYSTEM_BOX, K::text_box, "", 172, 159, 190, 12},
    ControlDecl{ID_SYSTEM_BROWSE, K::button, "Browse", 368, 158, 50, 14},
    ControlDecl{-1, K::static_text, "Database File", 112, 176, 60, 8},
    ControlDecl{ID_DATABASE_BOX, K::text_box, "", 172, 175, 190, 12},
    ControlDecl{ID_DATABASE_BROWSE, K::button, "Browse", 368, 174, 50, 14},
    ControlDecl{-1, K::static_text, "Parameter File", 112, 192, 60, 8},
    ControlDecl{ID_PARAMETER_BOX, K::text_box, "", 172, 191, 190, 12},
    ControlDecl{ID_PARAMETER_BROWSE, K::button, "Browse", 368, 190, 50, 14},
    ControlDecl{-1, K::separator, "", 5, 210, 413, 1},
    ControlDecl{ID_FOOTER, K::static_text, "", 5, 222, 160, 8},
    ControlDecl{ID_RESET_UNIT, K::button, "Reset HTAWS", 170, 218, 60, 14},
    ControlDecl{ID_SETUP_BACK, K::button, "< &Back", 248, 218, 50, 14, CF_HIDDEN | CF_DISABLED},
    ControlDecl{ID_SETUP_NEXT, K::default_button, "&Next >", 298, 218, 50, 14},
    ControlDecl{ID_SETUP_EXIT, K::button, "&Exit", 368, 218, 50, 14},
};

constexpr std::array reset_mode{
    ControlDecl{-1, K::static_text, "The HTAWS instrument will RESET after System File Load", 10, 8, 220, 8},
    ControlDecl{-1, K::static_text, "The Uploader application will EXIT after issuing the RESET", 10, 20, 220, 8},
    ControlDecl{-1, K::static_text, "Please select one of the operating modes for the HTAWS unit AFTER it restarts.", 10,
                32, 220, 16},
};

constexpr std::array version_select{
    ControlDecl{ID_VERSION_LIST, K::list_box, "", 7, 7, 200, 100},
    ControlDecl{ID_VERSION_SELECT, K::default_button, "Select", 40, 112, 50, 14},
    ControlDecl{ID_VERSION_CANCEL, K::button, "Cancel", 120, 112, 50, 14},
};

constexpr PageLayout setup_layout{SETUP_PAGE, "Setup", 425, 240, true, setup};
constexpr auto reset_mode_controls = join_controls(reset_mode, reset_mode_rows(54));
constexpr PageLayout reset_layout{RESET_MODE_DIALOG, "HTAWS Reset Mode", 240, 130, true, reset_mode_controls};
constexpr PageLayout select_layout{VERSION_SELECT_DIALOG, "HTAWS Program Version Select", 214, 132, true,
                                   version_select};
}  // namespace

const PageLayout& setup_page_layout() { return setup_layout; }
const PageLayout& reset_mode_layout() { return reset_layout; }
const PageLayout& version_select_layout() { return select_layout; }
