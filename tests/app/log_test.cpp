#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "output/log.h"
#include "output/report.h"
#include "platform/process.h"
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

#ifndef _WIN32
namespace {
// Sets or clears environment variables for one test, restoring them after.
class Environment {
public:
    void set(const char* name, std::optional<std::string> value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        apply(name, value);
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) apply(it->first, it->second);
    }

private:
    static void apply(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};
}  // namespace

// Each user's log is their own: a state folder, else the user's temporary
// folder, else /tmp under a name with the user's id; never one shared file.
TEST_F(LogTest, LogPathIsTheUsersOwn) {
    dir.write("plain-file", "");
    const std::string own = "/Loader-" + std::to_string(getuid()) + ".LOG";
    struct Case {
        std::optional<std::string> state, home, tmpdir;
        std::string path;
    };
    const Case cases[] = {
        {dir.file("state"), dir.file("home"), dir.path(), dir.file("state/htaws-uploader/Loader.LOG")},
        {std::nullopt, dir.file("home"), dir.path(), dir.file("home/.local/state/htaws-uploader/Loader.LOG")},
        {"relative/state", dir.file("home"), std::nullopt, dir.file("home/.local/state/htaws-uploader/Loader.LOG")},
        {dir.file("plain-file/state"), std::nullopt, dir.path(), dir.path() + own},
        {std::nullopt, std::nullopt, dir.file("no-such-folder"), "/tmp" + own},
        {std::nullopt, std::nullopt, std::nullopt, "/tmp" + own},
    };
    for (const Case& c : cases) {
        Environment env;
        env.set("XDG_STATE_HOME", c.state);
        env.set("HOME", c.home);
        env.set("TMPDIR", c.tmpdir);
        EXPECT_EQ(log_file_path(), c.path) << c.state.value_or("-") << " " << c.home.value_or("-");
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("state/htaws-uploader")));
}

// A log that cannot be opened is one warning; the program runs on without it.
TEST_F(LogTest, UnopenableLogAtItsPathWarnsAndWritesNothing) {
    Environment env;
    env.set("XDG_STATE_HOME", dir.path());
    std::filesystem::create_directories(dir.file("htaws-uploader/Loader.LOG"));
    script_expect_box("Open error: " + std::string(std::strerror(EISDIR)) + "\n", "IO Error ...");
    log_open();
    EXPECT_FALSE(log_is_open());
    EXPECT_EQ(log_write("nowhere"), 0);
    EXPECT_EQ(script_boxes().size(), 1u);
}
#endif
