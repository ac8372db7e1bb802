#include "platform/term/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {
constexpr char enter_screen[] = "\x1b[?1049h\x1b[?25l";
constexpr char leave_screen[] = "\x1b[?25h\x1b[?1049l";

struct termios g_saved;
bool g_entered = false;
bool g_input_raw = false;
volatile std::sig_atomic_t g_resized = 0;

// Only async-signal-safe calls: this also runs inside signal handlers.
void restore() {
    if (!g_entered) return;
    if (g_input_raw) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
    if (isatty(STDOUT_FILENO)) {
        ssize_t ignored = write(STDOUT_FILENO, leave_screen, sizeof leave_screen - 1);
        (void)ignored;
    }
}

void on_fatal_signal(int signal) {
    restore();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void on_resize(int) { g_resized = 1; }
}  // namespace

bool term_is_screen() { return isatty(STDOUT_FILENO) == 1; }

void term_enter() {
    if (g_entered) return;
    g_entered = true;
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &g_saved) == 0) {
        struct termios raw = g_saved;
        raw.c_lflag &= ~tcflag_t(ICANON | ECHO | IEXTEN);
        raw.c_iflag &= ~tcflag_t(IXON | ICRNL | INLCR);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        g_input_raw = tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
    }
    std::atexit(restore);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, on_fatal_signal);
    struct sigaction resize = {};
    resize.sa_handler = on_resize;
    sigaction(SIGWINCH, &resize, nullptr);  // no SA_RESTART: a resize wakes the wait for keys
    if (term_is_screen()) term_write(enter_screen);
}

void term_write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = write(STDOUT_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(std::size_t(n));
    }
}

TermSize term_size() {
    struct winsize ws = {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return {80, 24};
    return {std::clamp(int(ws.ws_col), 40, 300), std::clamp(int(ws.ws_row), 10, 200)};
}

bool term_take_resize() {
    const bool resized = g_resized != 0;
    g_resized = 0;
    return resized;
}

long term_read(char* buffer, std::size_t size, int timeout_ms) {
    struct pollfd in = {STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&in, 1, timeout_ms);
    if (ready <= 0) return 0;
    const ssize_t n = read(STDIN_FILENO, buffer, size);
    if (n < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
    return n == 0 ? -1 : long(n);
}
