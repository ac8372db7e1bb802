#include <gtest/gtest.h>

#include <string>

#include "app/page_layouts.h"
#include "app/status_box.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/virtual_clock.h"

namespace {
// Runs the transfer page with a handler that fills the status box on open
// with `lines` and then appends `added`.
std::string box_after(const std::string& lines, const std::string& added) {
    static std::string s_lines, s_added;
    s_lines = lines;
    s_added = added;
    pages_reset();
    page_run(*app_page_layout(TRANSFER_PAGE), [](Page page, PageEvent event, int) {
        if (event != PageEvent::open) return;
        status_attach(page, ID_STATUS_BOX);
        edit_append(page, ID_STATUS_BOX, s_lines);
        status_box_append(s_added);
        status_detach();
        page_end(page, 0);
    });
    return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
}

std::string numbered_lines(int count, std::size_t width) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = "line " + std::to_string(i) + " ";
        line.resize(width - 2, '.');
        text += line + "\r\n";
    }
    return text;
}
}  // namespace

TEST(StatusBox, KeepsRecentLinesOnly) {
    virtual_clock_reset();
    // 200 lines of 100 characters: exactly 20000, then one more character.
    const std::string full = numbered_lines(200, 100);
    EXPECT_EQ(box_after(full, "new\r\n"), full + "new\r\n") << "20000 characters are kept";

    const std::string over = full + "x\r\n";
    const std::string trimmed = box_after(over, "new\r\n");
    EXPECT_EQ(trimmed, over.substr(50 * 100) + "new\r\n");
    EXPECT_EQ(trimmed.rfind("line 50 ", 0), 0u);
}

TEST(StatusBox, NothingAttachedShowsNothing) {
    status_detach();
    status_box_append("lost\r\n");
    EXPECT_FALSE(status_attached());
}

TEST(StatusBox, ALongLineWithoutLineBreaksDoesNotGrowTheBoxForever) {
    virtual_clock_reset();
    EXPECT_EQ(box_after(std::string(20001, 'a'), "new\r\n"), "new\r\n");
}
