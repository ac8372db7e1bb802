#pragma once
// Status texts meant for the screen: the status_to_screen bracket around
// status_append, and printf-style formatting into a text.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "output/status.h"

inline void status_show(std::string_view text) {
    g_status.status_to_screen = true;
    status_append("%.*s", static_cast<int>(text.size()), text.data());
    g_status.status_to_screen = false;
}

[[gnu::format(printf, 1, 2)]] inline std::string formatted(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(text);
}
