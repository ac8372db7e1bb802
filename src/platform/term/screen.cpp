#include "platform/term/screen.h"

#include "platform/term/terminal.h"

namespace {
std::vector<std::string> g_last;
bool g_stale = true;
}  // namespace

std::string screen_text(std::string_view text, std::size_t width) {
    std::string clean;
    for (char c : text) {
        if (clean.size() >= width) break;
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') continue;
        clean += u < 0x20 || u == 0x7f ? ' ' : c;
    }
    return clean;
}

void screen_invalidate() { g_stale = true; }
bool screen_is_stale() { return g_stale; }

void screen_show(const std::vector<std::string>& lines) {
    if (!g_stale && lines == g_last) return;
    std::string frame;
    if (term_is_screen() && !g_stale && lines.size() == g_last.size()) {
        // Only the lines that changed: a status line appended during a transfer stays cheap.
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] != g_last[i]) frame += "\x1b[" + std::to_string(i + 1) + ";1H" + lines[i] + "\x1b[K";
    } else if (term_is_screen()) {
        frame = "\x1b[H";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            frame += lines[i] + "\x1b[K";
            if (i + 1 < lines.size()) frame += "\r\n";
        }
        frame += "\x1b[J";
    } else {
        frame = "--------\n";
        for (const std::string& line : lines)
            if (!line.empty()) frame += line + "\n";
    }
    g_stale = false;
    g_last = lines;
    term_write(frame);
}
