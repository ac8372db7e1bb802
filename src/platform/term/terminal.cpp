#include "platform/term/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <fcntl.h>
#include <time.h>

#include <algorithm>
#include <atomic>
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
volatile std::sig_atomic_t g_end_signal = 0;
// Ctrl-C pressed again this soon after the last one ends the program at once.
constexpr int64_t second_interrupt_ms = 3000;
std::atomic<int64_t> g_last_interrupt_ms{-1};
static_assert(std::atomic<int64_t>::is_always_lock_free);
// The end signal's handler writes here so that a wait for keys wakes at once,
// even when the signal came just before the wait began.
int g_wake[2] = {-1, -1};

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

int64_t monotonic_ms() {
    struct timespec t = {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void on_end_signal(int signal) {
    if (signal == SIGINT) {
        const int64_t now = monotonic_ms();
        const int64_t last = g_last_interrupt_ms.exchange(now);
        if (last >= 0 && now - last < second_interrupt_ms) on_fatal_signal(signal);
    }
    if (g_end_signal == 0) g_end_signal = signal;
    const char byte = 1;
    ssize_t ignored = write(g_wake[1], &byte, 1);
    (void)ignored;
}

bool catching_end_signals() { return g_wake[1] >= 0; }

void drain_wake() {
    char buffer[16];
    while (read(g_wake[0], buffer, sizeof buffer) > 0) {
    }
}
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
    static const bool restore_at_exit = std::atexit(restore) == 0;
    (void)restore_at_exit;
    std::signal(SIGQUIT, on_fatal_signal);
    if (!catching_end_signals())
        for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, on_fatal_signal);
    struct sigaction resize = {};
    resize.sa_handler = on_resize;
    sigaction(SIGWINCH, &resize, nullptr);  // no SA_RESTART: a resize wakes the wait for keys
    if (term_is_screen()) term_write(enter_screen);
}

void term_leave() {
    restore();
    g_entered = false;
    g_input_raw = false;
}

void term_catch_end_signals() {
    if (catching_end_signals() || pipe2(g_wake, O_NONBLOCK | O_CLOEXEC) != 0) return;
    struct sigaction end = {};
    end.sa_handler = on_end_signal;
    sigemptyset(&end.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&end.sa_mask, s);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &end, nullptr);
}

int term_end_signal() { return g_end_signal; }

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
    struct pollfd in[2] = {{STDIN_FILENO, POLLIN, 0}, {g_wake[0], POLLIN, 0}};
    const int ready = poll(in, catching_end_signals() ? 2 : 1, timeout_ms);
    if (ready <= 0) return 0;
    if (in[1].revents) drain_wake();
    if (g_end_signal != 0 || !(in[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) return 0;
    const ssize_t n = read(STDIN_FILENO, buffer, size);
    if (n < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
    return n == 0 ? -1 : long(n);
}

bool term_discard_input() { return isatty(STDIN_FILENO) == 1 && tcflush(STDIN_FILENO, TCIFLUSH) == 0; }
