// Pages run by the terminal backend with the keyboard a pseudo-terminal the
// test types into, and the screen either another pseudo-terminal or a file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/pages.h"
#include "platform/window.h"
#include "support/temp_dir.h"

namespace {
using K = ControlKind;

constexpr int ID_CHOICE = 11, ID_SELECT = 12, ID_STATUS = 20, ID_BAR = 21, ID_NEXT = 1001, ID_CANCEL = 2;
constexpr std::array controls{
    ControlDecl{ID_CHOICE, K::radio, "Airport", 10, 10, 100, 10},
    ControlDecl{ID_SELECT, K::button, "Select", 120, 10, 50, 14},
    ControlDecl{-1, K::static_text, "Choose a load", 10, 30, 200, 8},
    ControlDecl{ID_STATUS, K::status_box, "", 10, 50, 300, 60, CF_READ_ONLY},
    ControlDecl{ID_BAR, K::progress, "", 10, 120, 300, 14},
    ControlDecl{ID_NEXT, K::default_button, "&Next >", 200, 218, 50, 14},
    ControlDecl{ID_CANCEL, K::button, "Cancel", 260, 218, 50, 14},
};
constexpr PageLayout layout{500, "Setup", 425, 240, true, controls};

// A pseudo-terminal: the test writes at `master`, the program has `slave`.
struct Pty {
    int master = -1, slave = -1;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        struct termios raw {};
        if (slave >= 0 && tcgetattr(slave, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(slave, TCSANOW, &raw);
        }
    }
    ~Pty() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
};

// Standard input (and output, when given) replaced for one test.
struct Redirect {
    int fd, saved;
    Redirect(int target, int with) : fd(target), saved(dup(target)) { dup2(with, target); }
    ~Redirect() {
        dup2(saved, fd);
        close(saved);
    }
};

struct TypedRun {
    Pty* keyboard = nullptr;
    std::vector<int> commands;  // after the page was built
    std::vector<int> early;     // while it was being built
    bool opening = false;
};
TypedRun g_run;

void type(const char* keys) {
    ASSERT_EQ(write(g_run.keyboard->master, keys, std::char_traits<char>::length(keys)),
              ssize_t(std::char_traits<char>::length(keys)));
    // The keys are waiting for the program before it goes on.
    struct pollfd in = {g_run.keyboard->slave, POLLIN, 0};
    ASSERT_EQ(poll(&in, 1, 2000), 1);
}

// The page as the setup page builds itself: it lets the window run while it
// works, and only then disables "Select" and checks its choice.
void building_page(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        g_run.opening = true;
        type("\t \t \t ");  // Tab onto "Select" and Space, at a page not yet drawn
        for (int i = 0; i < 20; ++i) yield_to_window();
        control_enable(page, ID_SELECT, false);
        control_check(page, ID_CHOICE, true);
        page_start_timer(page, 1, 10);
        g_run.opening = false;
    } else if (event == PageEvent::timer) {
        page_kill_timer(page, 1);
        type(" ");  // Space at the drawn page
    } else if (event == PageEvent::command) {
        (g_run.opening ? g_run.early : g_run.commands).push_back(id);
        if (id == ID_CANCEL || id == ID_NEXT) page_end(page, id);
    } else if (event == PageEvent::close) {
        page_end(page, 0);
    }
}

std::string read_all(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        struct pollfd in = {fd, POLLIN, 0};
        if (poll(&in, 1, 50) != 1) break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, std::size_t(n));
    }
    return text;
}
}  // namespace

// Keys typed while the page is built are not taken (nor kept for the drawn
// page); the first frame marks the focus on a control that can take it; a
// disabled control never takes a key.
TEST(TermPages, KeysDuringTheBuildAreDroppedAndTheFirstFrameMarksTheFocus) {
    Pty keyboard, screen;
    ASSERT_GE(keyboard.slave, 0);
    ASSERT_GE(screen.slave, 0);
    std::fflush(stdout);
    g_run = TypedRun{&keyboard, {}, {}, false};
    int result = 0;
    {
        Redirect in(STDIN_FILENO, keyboard.slave);
        Redirect out(STDOUT_FILENO, screen.slave);
        result = page_run(layout, building_page);
    }
    const std::string frames = read_all(screen.master);
    EXPECT_TRUE(g_run.early.empty()) << "a key was taken by the page being built: " << g_run.early.front();
    // Space at the drawn page presses the focused default button: Next, never the disabled Select.
    ASSERT_FALSE(g_run.commands.empty()) << frames;
    EXPECT_EQ(g_run.commands.front(), ID_NEXT);
    EXPECT_EQ(result, ID_NEXT);
    const std::size_t first = frames.find("== Setup ==");
    ASSERT_NE(first, std::string::npos) << frames;
    EXPECT_NE(frames.find("(*) Airport"), std::string::npos) << "the first frame is the page built in full";
    EXPECT_EQ(frames.find("( ) Airport"), std::string::npos) << "a frame of the page half built was drawn";
    EXPECT_NE(frames.find(">[[Next >]]"), std::string::npos) << frames;
    EXPECT_EQ(frames.find(">[Select]"), std::string::npos) << frames;
}

namespace {
void transfer_page(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        page_start_timer(page, 1, 10);
        return;
    }
    if (event != PageEvent::timer || id != 1) return;
    page_kill_timer(page, 1);
    page_set_title(page, "Airport Load");
    progress_set_range(page, ID_BAR, 0, 1000);
    edit_append(page, ID_STATUS, "Communications ready\r\n");
    for (int p = 0; p <= 1000; p += 25) {
        progress_set_position(page, ID_BAR, p);
        yield_to_window();
    }
    edit_append(page, ID_STATUS, "Transfer complete\r\n");
    edit_remove_front(page, ID_STATUS, edit_length(page, ID_STATUS));
    edit_append(page, ID_STATUS, "Load Successful!");
    page_end(page, ID_NEXT);
}
}  // namespace

// Output that is no terminal gets the title, each status line and each tenth
// of the progress once, as lines: no page redrawn for every change.
TEST(TermPages, OutputThatIsNoTerminalGetsEachLineOnce) {
    Pty keyboard;
    TempDir dir;
    const std::string path = dir.file("out.txt");
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fflush(stdout);
    {
        Redirect in(STDIN_FILENO, keyboard.slave);
        Redirect out(STDOUT_FILENO, fileno(file));
        EXPECT_EQ(page_run(layout, transfer_page), ID_NEXT);
    }
    std::fclose(file);
    std::string expected = "== Setup ==\nChoose a load\n== Airport Load ==\nCommunications ready\n";
    for (int tenth = 1; tenth <= 10; ++tenth) {
        std::string bar = "[" + std::string(std::size_t(tenth) * 4, '#') + std::string(std::size_t(10 - tenth) * 4, '.');
        expected += bar + "] " + std::to_string(tenth * 100) + "/1000\n";
    }
    expected += "Transfer complete\nLoad Successful!\n";
    EXPECT_EQ(read_whole_file(path), expected);
}
