#pragma once
// Line positions in a multi-line text, counted by its line feeds, so that
// every page backend trims the status box by the same lines.
#include <cstddef>
#include <optional>
#include <string_view>

// Character index where line `line` (from 0) begins; nothing past the last line.
inline std::optional<std::size_t> text_line_start(std::string_view text, std::size_t line) {
    std::size_t start = 0;
    for (std::size_t n = 0; n < line; ++n) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) return std::nullopt;
        start = end + 1;
    }
    return start;
}
