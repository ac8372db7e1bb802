#pragma once
// Declarations of the setup page and its two dialogs: the reset mode choice
// and the version select list.
#include <array>

#include "platform/page_layout.h"

inline constexpr int SETUP_PAGE = 102;
inline constexpr int RESET_MODE_DIALOG = 105;
inline constexpr int VERSION_SELECT_DIALOG = 106;

// Setup page controls.
inline constexpr int ID_FOLDER_BOX = 1019;
inline constexpr int ID_FOLDER_BROWSE = 1022;
inline constexpr int ID_SYSTEM_BOX = 1009;
inline constexpr int ID_SYSTEM_BROWSE = 1010;
inline constexpr int ID_DATABASE_BOX = 1015;
inline constexpr int ID_DATABASE_BROWSE = 1014;
inline constexpr int ID_PARAMETER_BOX = 1011;
inline constexpr int ID_PARAMETER_BROWSE = 1012;
inline constexpr int ID_RESET_UNIT = 1034;
inline constexpr int ID_SETUP_BACK = 1000;
inline constexpr int ID_SETUP_NEXT = 1001;
inline constexpr int ID_SETUP_EXIT = 2;
inline constexpr int ID_FOOTER = 1030;

// Reset mode dialog buttons.
inline constexpr int ID_FLIGHT_MODE = 1040;
inline constexpr int ID_MAINTENANCE_MODE = 1041;
inline constexpr int ID_FACTORY_MODE = 1042;
inline constexpr int ID_FACTORY_MODE_TEXT = 1043;  // hidden with its button
inline constexpr int ID_RESET_CANCEL = 2;

// Version select dialog.
inline constexpr int ID_VERSION_LIST = 1050;
inline constexpr int ID_VERSION_SELECT = 1;
inline constexpr int ID_VERSION_CANCEL = 2;

// The reset mode buttons with their descriptions, the first row at `top`;
// shared by the reset mode dialog and the database loads' erase offers.
// Cancel is the default button, so that Enter alone chooses nothing.
constexpr std::array<ControlDecl, 8> reset_mode_rows(int top) {
    using K = ControlKind;
    return {{
        {ID_FLIGHT_MODE, K::button, "FLT Mode", 10, top, 50, 14},
        {-1, K::static_text, "Normal HTAWS functions - no USB", 66, top + 3, 160, 8},
        {ID_MAINTENANCE_MODE, K::button, "MNX Mode", 10, top + 18, 50, 14},
        {-1, K::static_text, "USB Upload maintenance and test", 66, top + 21, 160, 8},
        {ID_FACTORY_MODE, K::button, "FCT Mode", 10, top + 36, 50, 14},
        {ID_FACTORY_MODE_TEXT, K::static_text, "USB Upload factory settings", 66, top + 39, 160, 8},
        {ID_RESET_CANCEL, K::default_button, "Cancel", 10, top + 54, 50, 14},
        {-1, K::static_text, "Don't Load. Don't RESET.", 66, top + 57, 160, 8},
    }};
}

const PageLayout& setup_page_layout();
const PageLayout& reset_mode_layout();
const PageLayout& version_select_layout();
