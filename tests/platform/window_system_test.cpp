#include <gtest/gtest.h>

#include "platform/window_system.h"

namespace {
int answer_yes(std::string_view, std::string_view, BoxButtons, BoxIcon) { return BOX_YES; }

const PageLayout no_layout{};

// A seam called before main installs a window system, or one the installed
// system does not provide, ends the program saying which, not at a null call.
TEST(WindowSystemTest, SeamWithoutBackendEndsTheProgramSayingWhich) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(message_box("text", "caption", BoxButtons::ok, BoxIcon::none), "message_box: no window system installed");
    EXPECT_DEATH(control_set_text(nullptr, 1, "x"), "control_set_text: no window system installed");

    static const WindowSystem boxes_only{.message_box = answer_yes};
    install_window_system(boxes_only);
    EXPECT_EQ(message_box("text", "caption", BoxButtons::yes_no, BoxIcon::question), BOX_YES);
    EXPECT_DEATH(page_run(no_layout, nullptr), "page_run: the installed window system does not provide it");
    EXPECT_DEATH(page_end(nullptr, 0), "page_end: the installed window system does not provide it");
    EXPECT_DEATH(yield_to_window(), "yield_to_window: the installed window system does not provide it");
}
}  // namespace
