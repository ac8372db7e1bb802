#include "app/page_layouts.h"

#include <array>

namespace {
constexpr std::array splash_rk5200h{
    ControlDecl{-1, ControlKind::picture, "141", 6, 5, 213, 197},
    ControlDecl{ID_DESCRIPTION, ControlKind::static_text, "", 12, 205, 199, 11, CF_CENTRED},
    ControlDecl{ID_LEGAL, ControlKind::static_text, "", 12, 216, 199, 11, CF_CENTRED},
};
constexpr std::array splash_family{
    ControlDecl{-1, ControlKind::picture, "159", 6, 4, 216, 204},
    ControlDecl{ID_DESCRIPTION, ControlKind::static_text, "", 12, 209, 199, 11, CF_CENTRED},
    ControlDecl{ID_LEGAL, ControlKind::static_text, "", 12, 220, 199, 11, CF_CENTRED},
};
constexpr std::array splash_no_unit{
    ControlDecl{-1, ControlKind::picture, "160", 6, 5, 215, 202},
    ControlDecl{ID_DESCRIPTION, ControlKind::static_text, "", 12, 209, 199, 11, CF_CENTRED},
    ControlDecl{ID_LEGAL, ControlKind::static_text, "", 12, 220, 199, 11, CF_CENTRED},
};
constexpr std::array splash_other_unit{
    ControlDecl{-1, ControlKind::picture, "162", 6, 5, 215, 202},
    ControlDecl{ID_DESCRIPTION, ControlKind::static_text, "", 12, 209, 199, 11, CF_CENTRED},
    ControlDecl{ID_LEGAL, ControlKind::static_text, "", 12, 220, 199, 11, CF_CENTRED},
};

constexpr std::array waiting{
    ControlDecl{-1, ControlKind::picture, "116", 5, 5, 150, 200},
    ControlDecl{ID_WAITING_TEXT, ControlKind::static_text,
                "  Initializing communications to unit...\n\n  Preparing files to transfer...\n\n"
                "  This may take a few seconds...",
                166, 10, 133, 46},
    ControlDecl{ID_FORCE_TEXT, ControlKind::static_text, "Press \"Next\" to force the data to transfer.", 167, 69,
                131, 8, CF_HIDDEN},
    ControlDecl{-1, ControlKind::separator, "", 5, 210, 310, 1},
    ControlDecl{ID_BACK, ControlKind::button, "< &Back", 148, 220, 50, 14, CF_HIDDEN | CF_DISABLED},
    ControlDecl{ID_NEXT, ControlKind::default_button, "&Next >", 198, 220, 50, 14, CF_HIDDEN | CF_DISABLED},
    ControlDecl{ID_EXIT, ControlKind::button, "Exit", 265, 220, 50, 14, CF_HIDDEN | CF_DISABLED},
};

constexpr std::array transfer{
    ControlDecl{-1, ControlKind::picture, "110", 5, 5, 143, 198},
    ControlDecl{ID_STATUS_BOX, ControlKind::status_box, "", 157, 5, 274, 160, CF_READ_ONLY},
    ControlDecl{ID_PROGRESS, ControlKind::progress, "", 157, 170, 274, 14},
    ControlDecl{ID_TRANSFER_LINE, ControlKind::static_text, "", 198, 188, 189, 13, CF_CENTRED | CF_SUNKEN},
    ControlDecl{-1, ControlKind::separator, "", 7, 210, 424, 1},
    ControlDecl{ID_OPERATION_TITLE, ControlKind::static_text, "", 6, 214, 141, 12, CF_CENTRED | CF_SUNKEN},
    ControlDecl{ID_SECOND_PROGRESS, ControlKind::progress, "", 151, 214, 61, 13, CF_HIDDEN},
    ControlDecl{ID_BACK, ControlKind::button, "< &Back", 319, 214, 50, 14, CF_HIDDEN | CF_DISABLED},
};

constexpr std::array layouts{
    PageLayout{SPLASH_RK5200H, "", 227, 239, false, splash_rk5200h},
    PageLayout{SPLASH_FAMILY, "", 227, 239, false, splash_family},
    PageLayout{SPLASH_NO_UNIT, "", 227, 239, false, splash_no_unit},
    PageLayout{SPLASH_OTHER_UNIT, "", 227, 239, false, splash_other_unit},
    PageLayout{WAITING_PAGE, "Waiting...", 322, 241, true, waiting},
    PageLayout{TRANSFER_PAGE, "Transfer File", 438, 237, true, transfer},
};
}  // namespace

const PageLayout* app_page_layout(int template_id) {
    for (const PageLayout& layout : layouts)
        if (layout.template_id == template_id) return &layout;
    return nullptr;
}
