#pragma once
// The line protocol above the byte level: command lines out, reply lines in,
// judging a reply, and the opening of every load (mode command and control
// block) with its recovery.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct CommandState {
    // The last reply line a procedure read.
    std::array<char, 256> unit_reply{};
    // Set when the user quits or a page ends, and when the unit cannot be
    // reached; every reply reader and load loop stops when it sees it.
    bool abort_requested = false;
    // Link speed of the earlier-generation protocol.
    uint32_t baud_setting = 115200;
    // Ends the page that runs the conversation (the transfer page) with a page
    // result; a refused or missing reply ends it through this.
    void (*end_page)(int result) = nullptr;
    // A "RESET" went out in this run: the unit restarts by itself and is not
    // started again at exit.
    bool reset_sent = false;
};
extern CommandState g_commands;

void reset_command_state();

// Page results chosen by the user's answer to a failure question.
inline constexpr int PAGE_BACK_TO_SETUP = 1000;
inline constexpr int PAGE_QUIT = 0;

// Formats printf-style (at most 1023 characters) and writes the text byte by
// byte; the format carries its own "\r". True when all of it went out; a
// failed byte ends the command.
[[nodiscard]] bool unit_send_command(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sends "RESET <mode>\r" and, once it went out, marks the reset as ordered.
[[nodiscard]] bool unit_send_reset(int mode);

// Reads one reply line into `buffer` (at most 254 characters and a zero, fewer
// when `size` is smaller) without its CR or LF. Result: the length; -1 when
// no line began within `limit_ms`, the port is gone or abort_requested is set;
// with limit 0 (take what comes): -2 no byte, -3 nothing but white space.
// The whole line must arrive within the limit (with limit 0 within
// byte_wait_limit_ms), however the unit paces its bytes.
[[nodiscard]] int unit_read_line(char* buffer, std::size_t size, uint32_t limit_ms);

// 0 when the reply is good (read_result not negative, reply begins with
// `expected`'s two characters, and is not the unit's greeting: a unit that
// greets in the middle of an exchange has restarted and lost what it was
// sent). Otherwise closes the port, asks the user
// ("Operation timed out\nTry again?" after a time-out, else `question`), ends
// the page with 1000 on Yes or 0 on No, and returns 1.
[[nodiscard]] int check_reply(const char* reply, int read_result, const char* expected, const char* question);
// The time-out question of check_reply and the page end it leads to.
void prompt_timeout_retry();

enum LoadMode { LOAD_AIRPORT = 0, LOAD_BINARY = 1, LOAD_TERRAIN = 2 };
enum : int { MODE_READY = 0, MODE_ABANDONED = 1, MODE_PAGE_ENDED = 2 };
// Puts the unit into a load mode and hands it the 256-byte control block.
// MODE_READY; MODE_ABANDONED (the caller ends the page: also after the third
// control block the unit did not take); MODE_PAGE_ENDED (the unit refused or
// did not answer, or the mode command could not be written, and the user was
// asked and the page ended).
[[nodiscard]] int enter_load_mode(int mode, const uint8_t* control_block);
// The earlier-generation variant (no reply to the mode command; framing of
// send_block_serial; the system software mode command goes into the staging
// stream).
[[nodiscard]] int enter_load_mode_serial(int mode, const uint8_t* control_block);

// send_baud_command's result when the text could not be written (no staging
// stream open, or the write failed).
inline constexpr int BAUD_NOT_SENT = -1;
// Writes the baud text of `baud` into the staging stream; baud_setting is
// left as it is. 0 when the rate is not one of 115200, 57600, 38400, 19200,
// 9600; BAUD_NOT_SENT; else 1.
[[nodiscard]] int send_baud_command(uint32_t baud);
// send_baud_command with the next rate below baud_setting; 0 when there is none.
[[nodiscard]] int send_lower_baud_command();
