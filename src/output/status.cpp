#include "output/status.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "output/log.h"
#include "output/status_shown.h"

StatusState g_status;

void reset_status_state() { g_status = StatusState{}; }

namespace {
std::string_view format_status(const char* format, va_list args) {
    const int n = std::vsnprintf(g_status.message_text.data(), g_status.message_text.size(), format, args);
    if (n < 0) {
        g_status.message_text[0] = '\0';
        return {};
    }
    return {g_status.message_text.data(), std::min<std::size_t>(std::size_t(n), g_status.message_text.size() - 1)};
}
}  // namespace

void status_append(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string_view text = format_status(format, args);
    va_end(args);
    if (g_status.status_to_screen) g_status.failure_detail.clear();
    if (g_status.status_to_screen && g_status.screen_append) g_status.screen_append(text);
    if (g_status.status_to_screen && g_status.screen_echo) g_status.screen_echo(text);
    log_write(text);
}

void status_note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string_view text = format_status(format, args);
    va_end(args);
    log_write(text);
}

void status_show_failure_detail(std::string_view line) {
    status_show(std::string(line) + "\r\n");
    g_status.failure_detail = line;
}

std::string take_failure_detail() { return std::exchange(g_status.failure_detail, std::string()); }
