#pragma once
// Status texts: progress notes of the operations. Every text goes to the log;
// only texts appended with `status_to_screen` set also reach the status box.
#include <array>
#include <string>
#include <string_view>

struct StatusState {
    // Set by a caller immediately before status_append and cleared right after.
    bool status_to_screen = false;
    // The last formatted text, for the status box and the log.
    std::array<char, 1024> message_text{};
    // Appends a text to the attached status box; none while no box is attached.
    void (*screen_append)(std::string_view text) = nullptr;
    // Also receives every text meant for the screen, box attached or not (a
    // run from the command line prints them).
    void (*screen_echo)(std::string_view text) = nullptr;
    // The failure detail shown last, while no other text was shown after it.
    std::string failure_detail;
};
extern StatusState g_status;

void reset_status_state();

// printf-style; callers include their own "\r\n". Over-long texts are cut at
// 1023 characters.
void status_append(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, never shown on screen.
void status_note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A line that tells more of a failure about to be reported (the unit's own
// words, the two identifiers that do not match): shown as a status line of
// its own and kept until another text is shown, so that a run from the
// command line can end with it.
void status_show_failure_detail(std::string_view line);
// The detail kept, taken once; empty when none.
std::string take_failure_detail();
