#include "link/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "link/connection.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "link/staging.h"
#include "output/log.h"
#include "output/status.h"
#include "platform/clock.h"
#include "platform/window.h"

CommandState g_commands;

void reset_command_state() { g_commands = CommandState{}; }

namespace {
constexpr uint32_t mode_reply_pause_ms = 1000;
constexpr uint32_t mode_reply_limit_ms = 5000;
constexpr std::size_t line_max = 254;
constexpr std::size_t control_block_bytes = 256;
// A unit that reconnects but keeps refusing the control block is given up
// after this many control blocks.
constexpr int control_block_rounds = 3;

struct BaudRate {
    uint32_t rate;
    std::string_view text;
};
constexpr std::array<BaudRate, 5> baud_table{{
    {115200, "BR 115200\r"},
    {57600, "BR 57600\r"},
    {38400, "BR 38400\r"},
    {19200, "BR 19200\r"},
    {9600, "BR 9600\r"},
}};

// The rest of a line whose first byte is `c`, up to `deadline`: a unit that
// trickles bytes cannot stretch a reply past its caller's limit. What came by
// then is the line, as when the unit stops sending.
int collect_line(char* buffer, std::size_t size, int c, uint64_t deadline) {
    const std::size_t max = std::min(line_max, size - 1);
    std::size_t n = 0;
    while (n < max && c >= 0 && c != '\r' && c != '\n') {
        buffer[n++] = char(c);
        c = unit_get_byte_before(deadline);
    }
    buffer[n] = '\0';
    return int(n);
}

int read_line_waiting(char* buffer, std::size_t size, uint32_t limit_ms) {
    const uint64_t deadline = now_ms() + limit_ms;
    int c = unit_get_byte_before(deadline);
    for (;;) {
        if (c == '\r') break;
        if (g_commands.abort_requested) return -1;
        if (c > ' ') break;
        const uint64_t now = now_ms();
        if (now >= deadline) break;
        // A closed or vanished port sends nothing more before the deadline.
        if (c < 0 && !unit_port_usable()) return -1;
        c = unit_get_byte_before(deadline);
    }
    if (c < 0 || now_ms() > deadline) return -1;
    return collect_line(buffer, size, c, deadline);
}

int read_line_at_once(char* buffer, std::size_t size) {
    const uint64_t deadline = now_ms() + byte_wait_limit_ms;
    int c = unit_get_byte_before(deadline);
    if (c < 0) return -2;
    while (c != '\r' && std::isspace(c)) {
        c = unit_get_byte_before(deadline);
        if (c < 0) return -3;
    }
    return collect_line(buffer, size, c, deadline);
}

void write_mode_note(int mode, bool serial) {
    if (mode == LOAD_AIRPORT) {
        status_note("Setting airport load mode\r\n");
    } else if (mode == LOAD_BINARY) {
        status_note(serial ? "Setting system software load mode\r\n" : "Setting up binary transfer mode\r\n");
    } else {
        status_note("Setting terrain load mode\r\n");
    }
}

const char* mode_command(int mode) {
    if (mode == LOAD_AIRPORT) return "M\r";
    if (mode == LOAD_BINARY) return "P\r";
    return "T\r";
}

// A control block the unit did not take: reconnect from scratch. False when
// the unit cannot be reached again or this was the last round.
bool recover_from_control_block_failure(int round) {
    message_box("Control Block write error", "Note", BoxButtons::ok, BoxIcon::information);
    status_note("Note: Control Block write error\r\n");
    unit_close_port();
    g_commands.baud_setting = 115200;
    if (round == control_block_rounds) return false;
    // connect_unit opens the port again on each attempt and judges the unit.
    static_cast<void>(unit_open_port());
    if (!connect_unit()) return false;
    status_note("...Retrying\r\n");
    return true;
}

// A mode command that could not be written gets no answer: the technician is
// asked as after a time-out.
constexpr ModeOpening mode_command_not_sent{ModeEnd::not_answered, ReplyVerdict::timed_out};

ModeOpening abandon_load() {
    unit_close_port();
    return {ModeEnd::abandoned};
}

void set_reply(const char* text) {
    std::snprintf(g_commands.unit_reply.data(), g_commands.unit_reply.size(), "%s", text);
}
}  // namespace

bool unit_send_command(const char* format, ...) {
    std::array<char, 1024> text;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    const std::size_t length = n < 0 ? 0 : std::min<std::size_t>(std::size_t(n), text.size() - 1);
    for (std::size_t i = 0; i < length; ++i)
        if (!unit_put_byte(uint8_t(text[i]))) return false;
    return true;
}

bool unit_send_reset(int mode) {
    if (!unit_send_command("RESET %d\r", mode)) return false;
    g_commands.reset_sent = true;
    ++g_commands.resets_sent;
    g_commands.last_reset_mode = mode;
    return true;
}

int unit_read_line(char* buffer, std::size_t size, uint32_t limit_ms) {
    if (size == 0) return -1;
    buffer[0] = '\0';
    return limit_ms > 0 ? read_line_waiting(buffer, size, limit_ms) : read_line_at_once(buffer, size);
}

ReplyVerdict judge_reply(const char* reply, int read_result, const char* expected) {
    if (read_result < 0) return ReplyVerdict::timed_out;
    if (std::string_view(reply).starts_with(unit_greeting)) return ReplyVerdict::restarted;
    if (std::strncmp(reply, expected, 2) != 0) return ReplyVerdict::refused;
    status_note("Unit sent '%s'\r\n", reply);
    return ReplyVerdict::accepted;
}

ModeOpening enter_load_mode(int mode, const uint8_t* control_block) {
    log_write("Set up for transfer\r\n");
    for (int round = 1;; ++round) {
        const bool command_sent = unit_send_command("%s", mode_command(mode));
        write_mode_note(mode, false);
        if (!command_sent) return g_commands.abort_requested ? abandon_load() : mode_command_not_sent;
        if (!wait_responsive(mode_reply_pause_ms)) return abandon_load();
        const int got = unit_read_line(g_commands.unit_reply.data(), g_commands.unit_reply.size(), mode_reply_limit_ms);
        if (g_commands.abort_requested) return abandon_load();
        const ReplyVerdict verdict = judge_reply(g_commands.unit_reply.data(), got, "OK");
        if (verdict != ReplyVerdict::accepted) return {ModeEnd::not_answered, verdict};
        log_write("Sending control block\r\n");
        const BlockEnd sent = send_block('C', control_block, control_block_bytes, 0);
        if (sent == BlockEnd::sent) keep_block_reply_for_reading();
        if (sent == BlockEnd::sent || g_commands.abort_requested) {
            g_commands.unit_reply[0] = '\0';
            if (!g_commands.abort_requested) return {ModeEnd::ready};
            return abandon_load();
        }
        if (!recover_from_control_block_failure(round)) return {ModeEnd::abandoned};
    }
}

ModeOpening enter_load_mode_serial(int mode, const uint8_t* control_block) {
    log_write("Set up for transfer\r\n");
    for (int round = 1;; ++round) {
        const bool command_sent =
            mode == LOAD_BINARY ? staging_write("P\r", 2) : unit_send_command("%s", mode_command(mode));
        write_mode_note(mode, true);
        if (g_commands.abort_requested) return abandon_load();
        if (!command_sent) return mode_command_not_sent;
        log_write("Sending control block\r\n");
        const BlockEnd sent = send_block_serial('C', control_block, control_block_bytes, 0);
        if (sent == BlockEnd::sent || g_commands.abort_requested) {
            set_reply("no response");
            if (!g_commands.abort_requested) return {ModeEnd::ready};
            return abandon_load();
        }
        if (!recover_from_control_block_failure(round)) return {ModeEnd::abandoned};
    }
}

BaudCommand send_baud_command(uint32_t baud) {
    for (const BaudRate& b : baud_table) {
        if (b.rate != baud) continue;
        // baud_setting stays as it is: every step down asks for the rate
        // below the protocol's setting, not below the rate last sent.
        const bool written = staging_write(b.text.data(), b.text.size());
        if (g_commands.abort_requested) unit_close_port();
        return written ? BaudCommand::sent : BaudCommand::not_sent;
    }
    return BaudCommand::no_such_rate;
}

BaudCommand send_lower_baud_command() {
    for (std::size_t i = 0; i + 1 < baud_table.size(); ++i)
        if (baud_table[i].rate == g_commands.baud_setting) return send_baud_command(baud_table[i + 1].rate);
    return BaudCommand::no_such_rate;
}
