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
    // A "RESET" went out in this run: the unit restarts by itself and is not
    // started again at exit.
    bool reset_sent = false;
    // How many went out, and the mode of the last (for the load history).
    unsigned resets_sent = 0;
    int last_reset_mode = -1;
};
extern CommandState g_commands;

void reset_command_state();

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

// What a reply line says to a procedure that expected `expected`.
enum class ReplyVerdict {
    accepted,   // begins with expected's two characters
    timed_out,  // no line (read_result negative)
    refused,    // any other line
    restarted,  // the unit's greeting: it restarted and lost what it was sent
};
// Judges a reply read by unit_read_line (`read_result` its result) and notes
// an accepted one in the status log. Asks nothing: the procedure decides what
// the technician is asked.
[[nodiscard]] ReplyVerdict judge_reply(const char* reply, int read_result, const char* expected);

enum LoadMode { LOAD_AIRPORT = 0, LOAD_BINARY = 1, LOAD_TERRAIN = 2 };
enum class ModeEnd {
    ready,
    abandoned,     // cancelled, the unit gone, or the third control block not taken
    not_answered,  // the mode command refused, unanswered or not written
};
struct ModeOpening {
    ModeEnd end = ModeEnd::ready;
    // Why a mode command was not answered; a command not written counts as
    // unanswered. The reply itself is in unit_reply.
    ReplyVerdict verdict = ReplyVerdict::accepted;
};
// Puts the unit into a load mode and hands it the 256-byte control block.
// Asks the technician nothing beyond the note on a control block the unit did
// not take; the caller asks after a mode not answered and ends the page.
[[nodiscard]] ModeOpening enter_load_mode(int mode, const uint8_t* control_block);
// The earlier-generation variant (no reply to the mode command; framing of
// send_block_serial; the system software mode command goes into the staging
// stream).
[[nodiscard]] ModeOpening enter_load_mode_serial(int mode, const uint8_t* control_block);

enum class BaudCommand {
    sent,
    no_such_rate,  // not one of 115200, 57600, 38400, 19200, 9600; or no rate below the setting
    not_sent,      // no staging stream open, or the write failed
};
// Writes the baud text of `baud` into the staging stream; baud_setting is
// left as it is.
[[nodiscard]] BaudCommand send_baud_command(uint32_t baud);
// send_baud_command with the next rate below baud_setting.
[[nodiscard]] BaudCommand send_lower_baud_command();
