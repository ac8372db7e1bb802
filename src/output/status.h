#pragma once
// Status texts: progress notes of the operations. Every text goes to the log;
// only texts appended with `status_to_screen` set also reach the status box.
#include <array>
#include <string_view>

struct StatusState {
    // Set by a caller immediately before status_append and cleared right after.
    bool status_to_screen = false;
    // The last formatted text.
    std::array<char, 1024> status_text{};
    // Appends a text to the attached status box; none while no box is attached.
    void (*screen_append)(std::string_view text) = nullptr;
    // Also receives every text meant for the screen, box attached or not (a
    // run from the command line prints them).
    void (*screen_echo)(std::string_view text) = nullptr;
};
extern StatusState g_status;

void reset_status_state();

// printf-style; callers include their own "\r\n". Over-long texts are cut at
// 1023 characters.
void status_append(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, never shown on screen.
void status_note(const char* format, ...) __attribute__((format(printf, 1, 2)));
