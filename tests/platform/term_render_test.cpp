#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/term/render.h"

namespace {
using K = ControlKind;

constexpr std::array controls{
    ControlDecl{-1, K::picture, "112", 5, 5, 100, 200},
    ControlDecl{-1, K::group_box, "Update", 112, 10, 150, 48},
    ControlDecl{11, K::radio, "Read", 118, 20, 140, 10},
    ControlDecl{12, K::radio, "Write", 268, 20, 140, 10},
    ControlDecl{13, K::radio, "Erase", 118, 32, 140, 10, CF_DISABLED},
    ControlDecl{14, K::radio, "Wipe", 268, 42, 140, 10},
    ControlDecl{20, K::text_box, "C:\\top", 112, 50, 200, 12, CF_READ_ONLY},
    ControlDecl{21, K::text_box, "abc", 112, 66, 200, 12},
    ControlDecl{22, K::static_text, "hidden words", 112, 80, 100, 8, CF_HIDDEN},
    ControlDecl{30, K::status_box, "", 112, 90, 300, 60, CF_READ_ONLY},
    ControlDecl{31, K::progress, "", 112, 160, 300, 14},
    ControlDecl{1000, K::button, "< &Back", 248, 218, 50, 14, CF_DISABLED},
    ControlDecl{1001, K::default_button, "&Next >", 298, 218, 50, 14},
    ControlDecl{2, K::button, "E&xit", 368, 218, 50, 14},
};
constexpr PageLayout layout{500, "Setup", 425, 240, true, controls};

// The column of the first occurrence of `what` on its line; npos when absent.
std::size_t column_of(const std::string& text, const std::string& what) {
    const std::size_t at = text.find(what);
    return at == std::string::npos ? at : at - (text.rfind('\n', at) + 1);
}

struct RenderTest : ::testing::Test {
    PageWindow page;
    void SetUp() override {
        page.layout = &layout;
        page.title = layout.caption;
        page.controls = controls_of(layout);
    }
    PageControl& control(int id) {
        for (PageControl& c : page.controls)
            if (c.decl.id == id) return c;
        throw std::out_of_range("no control");
    }
    std::string screen(int cols = 80, int rows = 24) {
        std::string text;
        for (const std::string& line : render_page(page, cols, rows)) text += line + "\n";
        return text;
    }
};

TEST_F(RenderTest, ControlsShowTheirStateAndTheFocus) {
    control(11).checked = true;
    page.focus = 12;  // the index of control 1001
    const std::string text = screen();
    EXPECT_NE(text.find("== Setup ==\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" (*) Read  ( ) Write\n"), std::string::npos) << "a row shares a line\n" << text;
    EXPECT_NE(text.find("(-) Erase"), std::string::npos) << "disabled radio\n" << text;
    EXPECT_NE(text.find("{C:\\top}"), std::string::npos) << "read-only box\n" << text;
    EXPECT_NE(text.find("[abc_____"), std::string::npos) << "editable box\n" << text;
    EXPECT_NE(text.find("[< Back](off) >[[Next >]]  [Exit]"), std::string::npos) << text;
    EXPECT_EQ(column_of(text, "( ) Wipe"), column_of(text, "( ) Write"))
        << "a control alone on its line keeps its column\n" << text;
    EXPECT_EQ(text.find("hidden words"), std::string::npos);
    EXPECT_EQ(text.find("112"), std::string::npos) << "pictures are not drawn";
}

TEST_F(RenderTest, StatusBoxLastLinesAndProgressPerMille) {
    std::string status;
    for (int i = 1; i <= 40; ++i) status += "line " + std::to_string(i) + "\r\n";
    control(30).text = status + "bell\x07 and \x1b[2J escape\r\n";
    control(31).high = 200;
    control(31).position = 50;
    std::string text = screen();
    EXPECT_NE(text.find(" | line 40\n | bell  and  [2J escape\n"), std::string::npos)
        << "the newest lines, control characters blanked\n" << text;
    EXPECT_EQ(text.find("| line 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("] 250/1000"), std::string::npos) << text;

    control(31).position = 500;
    EXPECT_NE(screen().find("########] 1000/1000"), std::string::npos) << "past the range: full";
    control(31).low = control(31).high = 7;
    EXPECT_NE(screen().find("] 0/1000"), std::string::npos) << "an empty range";
}

TEST_F(RenderTest, FrameFitsTheWindow) {
    control(30).text = std::string(500, 'x') + "\r\n";
    control(21).text = std::string(300, 'y') + "/end.dat";
    for (const auto& [cols, rows] : {std::pair{80, 24}, std::pair{40, 10}, std::pair{132, 50}}) {
        const std::vector<std::string> lines = render_page(page, cols, rows);
        EXPECT_EQ(lines.size(), std::size_t(rows));
        for (const std::string& line : lines) EXPECT_LE(line.size(), std::size_t(cols)) << line;
        EXPECT_EQ(lines.back().rfind("Tab/arrows move", 0), 0u) << "the keys stay in view";
        bool box_end_shown = false;
        for (const std::string& line : lines) box_end_shown |= line.find("y/end.dat]") != std::string::npos;
        EXPECT_TRUE(box_end_shown) << "a long box shows the end of its text";
    }
}
}  // namespace
