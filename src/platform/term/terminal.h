#pragma once
// The terminal the pages are drawn on. Raw input and the alternate screen are
// taken once, when the first page or prompt needs them, and given back on every
// way out of the program: normal exit, Ctrl-C, termination.
#include <cstddef>
#include <string_view>

// Standard output is a terminal that escape sequences may draw on.
bool term_is_screen();
// Raw keys (signals kept) and the alternate screen; idempotent.
void term_enter();
// Gives the terminal back (keys as typed, the normal screen) before the
// program ends; term_enter takes it again.
void term_leave();
void term_write(std::string_view text);

struct TermSize {
    int cols;
    int rows;
};
// The window size, bounded to what a page can be drawn in.
TermSize term_size();
// True once after each change of the window size.
bool term_take_resize();

// Ctrl-C, a closed terminal and SIGTERM become a request to end the program
// instead of ending it at once; a second Ctrl-C within a few seconds still
// ends it at once (the terminal restored). Idempotent.
void term_catch_end_signals();
// The signal that asked the program to end, 0 while none did.
int term_end_signal();

// Reads what standard input has, waiting at most timeout_ms (-1: until input
// or a signal). Returns the count read, 0 when nothing came or an end signal
// arrived, -1 at end of input.
long term_read(char* buffer, std::size_t size, int timeout_ms);

// Drops what was typed and not yet read. False, dropping nothing, when input
// is no terminal: a script's keys are all meant.
bool term_discard_input();
