#pragma once
// Declarations of the application shell's pages: the splash, the waiting page
// and the transfer page.
#include "output/transfer_display.h"
#include "platform/page_layout.h"

// Splash templates, one per picture.
inline constexpr int SPLASH_RK5200H = 139;
inline constexpr int SPLASH_FAMILY = 158;
inline constexpr int SPLASH_NO_UNIT = 159;
inline constexpr int SPLASH_OTHER_UNIT = 160;
inline constexpr int WAITING_PAGE = 103;
inline constexpr int TRANSFER_PAGE = 104;

// Commands and buttons shared by the wizard pages.
inline constexpr int CMD_OK = 1;
inline constexpr int CMD_CANCEL = 2;
inline constexpr int ID_NEXT = 1001;

// Splash texts.
inline constexpr int ID_DESCRIPTION = 1029;
inline constexpr int ID_LEGAL = 1030;

// Waiting page.
inline constexpr int ID_EXIT = 2;
inline constexpr int ID_FORCE_TEXT = 1033;
inline constexpr int ID_WAITING_TEXT = 1031;

// The declaration of template `template_id`, or nullptr when it is not one of these.
const PageLayout* app_page_layout(int template_id);
