#include "platform/term/keys.h"

#include <cstddef>
#include <deque>

#include "platform/term/terminal.h"

namespace {
// A lone Escape is told from the start of a sequence by this pause.
constexpr int sequence_gap_ms = 40;

std::deque<char> g_pending;
bool g_ended = false;

bool fill(int timeout_ms) {
    if (g_ended) return false;
    char buffer[64];
    const long n = term_read(buffer, sizeof buffer, timeout_ms);
    if (n < 0) g_ended = true;
    for (long i = 0; i < n; ++i) g_pending.push_back(buffer[i]);
    return n > 0;
}

bool next_byte(char& c, int timeout_ms) {
    if (g_pending.empty() && !fill(timeout_ms)) return false;
    c = g_pending.front();
    g_pending.pop_front();
    return true;
}

Key of(Key::Kind kind) { return Key{kind, 0}; }

// After ESC '[' or ESC 'O': parameters, then one final byte.
Key sequence() {
    char c = 0;
    for (int length = 0; length < 16 && next_byte(c, sequence_gap_ms); ++length) {
        if (c >= '0' && c <= '9') continue;
        if (c == ';') continue;
        switch (c) {
            case 'A': return of(Key::up);
            case 'B': return of(Key::down);
            case 'C': return of(Key::right);
            case 'D': return of(Key::left);
            case 'Z': return of(Key::back_tab);
            default: return of(Key::none);
        }
    }
    return of(Key::none);
}
}  // namespace

Key term_next_key(int timeout_ms) {
    if (term_end_signal() != 0) return of(Key::end_of_input);
    char c = 0;
    if (!next_byte(c, timeout_ms)) return of(g_ended && g_pending.empty() ? Key::end_of_input : Key::none);
    switch (c) {
        case '\r':
        case '\n': return of(Key::enter);
        case '\t': return of(Key::tab);
        case 0x7f:
        case 0x08: return of(Key::backspace);
        case 0x1b: {
            char next = 0;
            if (!next_byte(next, sequence_gap_ms)) return of(Key::escape);
            if (next == '[' || next == 'O') return sequence();
            g_pending.push_front(next);
            return of(Key::escape);
        }
        default: break;
    }
    if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f) return Key{Key::character, c};
    return of(Key::none);
}

void drop_typed_ahead() {
    if (term_discard_input()) g_pending.clear();
}
