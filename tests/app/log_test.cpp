#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "output/log.h"
#include "output/report.h"
#include "support/scripted_window.h"
#include "support/temp_dir.h"

namespace {
// The log is a text stream: on Windows every LF reaches the disk as CR LF.
std::string on_disk(std::string text) {
#ifdef _WIN32
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
#else
    return text;
#endif
}
}  // namespace

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { script_reset(); }
    void TearDown() override {
        log_close();
        EXPECT_EQ(script_pending(), 0u);
    }
    TempDir dir;
};

TEST_F(LogTest, LinesAreAppendedAndFlushedOneByOne) {
    dir.write("Loader.LOG", "earlier run\n");
    log_open_path(dir.file("Loader.LOG"));
    EXPECT_EQ(log_write("first"), 0);
    EXPECT_EQ(read_whole_file(dir.file("Loader.LOG")), "earlier run\n" + on_disk("first\n"));  // flushed before close
    log_write("second\r\n");
    log_close();
    EXPECT_EQ(read_whole_file(dir.file("Loader.LOG")), "earlier run\n" + on_disk("first\nsecond\r\n\n"));
}

TEST_F(LogTest, UnopenableLogWarnsOnceAndWritesAreSilent) {
    script_expect_box("Open error: " + std::string(std::strerror(ENOENT)) + "\n", "IO Error ...");
    log_open_path(dir.file("missing/Loader.LOG"));
    EXPECT_FALSE(log_is_open());
    EXPECT_EQ(log_write("nowhere"), 0);
    ASSERT_EQ(script_boxes().size(), 1u);
    EXPECT_EQ(script_boxes()[0].icon, BoxIcon::warning);
}

TEST_F(LogTest, StandardBoxesAreLoggedAndAnswered) {
    log_open_path(dir.file("Loader.LOG"));
    script_expect_box("Bad file.", "Error", BOX_YES);
    script_expect_box("Bad file.", "Error", BOX_NO);
    script_expect_box("note", "Debug", BOX_OK);
    EXPECT_EQ(report_error("Bad file."), 1);
    EXPECT_EQ(report_error("Bad file."), 0);
    EXPECT_EQ(report_debug("note"), 1);
    EXPECT_EQ(script_boxes()[0].icon, BoxIcon::error);
    EXPECT_EQ(script_boxes()[0].buttons, BoxButtons::yes_no);
    EXPECT_EQ(script_boxes()[2].icon, BoxIcon::information);
    log_close();
    EXPECT_EQ(read_whole_file(dir.file("Loader.LOG")), on_disk("Error:Bad file.\nError:Bad file.\nDebug:note\n"));
}
