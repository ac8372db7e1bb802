#include "link/connection.h"

#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/window.h"

UnitTables g_unit_tables;

namespace {
constexpr int connect_attempts = 20;
int g_unanswered_attempts = 0;
constexpr uint32_t reopen_pause_ms = 250;
constexpr uint32_t greeting_pause_ms = 500;
constexpr uint32_t greeting_limit_ms = 500;
constexpr uint32_t first_query_pause_ms = 150;
constexpr std::size_t wake_bytes = 8;
constexpr std::size_t reply_text_max = 2000;
// A whole table reply, however the unit paces its bytes.
constexpr uint32_t table_reply_limit_ms = 10000;

bool begins_ok(const char* reply) { return std::strncmp(reply, "OK", 2) == 0; }

// False when a byte could not be written.
bool send_wake_up() {
    for (std::size_t i = 0; i < wake_bytes; ++i) {
        if (!unit_put_byte(CAN)) return false;
        yield_to_window();
    }
    return true;
}

// One wake-up attempt on a freshly opened port, the greeting read into `reply`.
void attempt_connection(std::array<char, 256>& reply) {
    unit_close_port();
    if (!wait_responsive(reopen_pause_ms)) return;
    // A port that does not open, or a burst that does not go, makes a failed
    // attempt of the same length.
    const bool opened = unit_open_port();
    if (!wait_responsive(reopen_pause_ms)) return;
    const bool woken = opened && send_wake_up();
    if (!wait_responsive(greeting_pause_ms) || !woken) return;
    if (unit_read_line(reply.data(), reply.size(), greeting_limit_ms) < 0) reply[0] = '\0';
}

bool allowed_in_table(int c) { return std::isalnum(c) || std::isspace(c) || c == ':' || c == '.'; }

int hex_value(int c) { return std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10; }

// The greeting may follow the LF that ended the previous reply.
bool is_greeting(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n\v\f");
    return start != std::string::npos && std::string_view(text).substr(start).starts_with(unit_greeting);
}

}  // namespace

// Bytes past the buffer make the table invalid.
bool read_unit_table(UnitTable& table) {
    std::string text;
    text.reserve(reply_text_max);
    std::size_t k = 0;
    bool low_half = false;
    uint8_t assembling = 0;
    int carriage_returns = 0;
    uint32_t reg;
    crc_begin(reg);
    const uint64_t deadline = now_ms() + table_reply_limit_ms;
    for (;;) {
        const int c = unit_get_byte_before(deadline);
        if (c < 0 || !allowed_in_table(c)) break;
        if (c == '\r') {
            if (++carriage_returns > 1) break;
        } else if (c != '\n') {
            carriage_returns = 0;
        }
        if (text.size() < reply_text_max) text.push_back(char(c));
        if (std::isxdigit(c)) {
            assembling = uint8_t((assembling << 4) | hex_value(c));
            if (low_half) {
                if (k < table.bytes.size()) table.bytes[k] = assembling;
                if (k < table_data_bytes) crc_add_byte(reg, assembling);
                ++k;
            }
            low_half = !low_half;
        }
        if (c == '.' && is_greeting(text)) {
            text.clear();
            k = 0;
            low_half = false;
            carriage_returns = 0;
            crc_begin(reg);
        }
    }
    if (k < table_data_bytes || k > table.bytes.size()) return false;
    return get_be32(table.bytes.data() + k - 4) == reg;
}

bool connect_unit() {
    std::array<char, 256> reply{};
    g_unanswered_attempts = 0;
    for (int attempt = 1;; ++attempt) {
        reply[0] = '\0';
        attempt_connection(reply);
        if (g_commands.abort_requested || begins_ok(reply.data())) break;
        if (attempt == connect_attempts) {
            g_unanswered_attempts = attempt;
            break;
        }
    }
    if (!begins_ok(reply.data())) g_commands.abort_requested = true;
    return !g_commands.abort_requested;
}

int connect_unanswered_attempts() { return g_unanswered_attempts; }

void reset_unit_tables() {
    g_unit_tables = UnitTables{};
    g_unanswered_attempts = 0;
}

bool query_unit_tables() {
    struct Query {
        const char* command;
        UnitTable& table;
    };
    const std::array<Query, 5> queries{{
        {"QP\r", g_unit_tables.p_table},
        {"QT\r", g_unit_tables.t_table},
        {"QB\r", g_unit_tables.b_table},
        {"QN\r", g_unit_tables.n_table},
        {"QY\r", g_unit_tables.y_table},
    }};
    for (const Query& q : queries) q.table.valid = false;
    if (!wait_responsive(first_query_pause_ms)) return false;
    bool all_valid = true;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        // A query that cannot be written gets no table; the rest would not go either.
        if ((i > 0 && !send_wake_up()) || !unit_send_command("%s", queries[i].command)) return false;
        queries[i].table.valid = read_unit_table(queries[i].table);
        all_valid = all_valid && queries[i].table.valid;
    }
    return all_valid;
}
