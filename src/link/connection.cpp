#include "link/connection.h"

#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/window.h"

UnitTables g_unit_tables;

void reset_unit_tables() { g_unit_tables = UnitTables{}; }

namespace {
constexpr int connect_attempts = 20;
constexpr uint32_t reopen_pause_ms = 250;
constexpr uint32_t greeting_pause_ms = 500;
constexpr uint32_t greeting_limit_ms = 500;
constexpr uint32_t first_query_pause_ms = 150;
constexpr std::size_t wake_bytes = 8;
constexpr std::size_t reply_text_max = 2000;
constexpr std::string_view greeting = "OK: Ready for commands.";

bool begins_ok(const char* reply) { return std::strncmp(reply, "OK", 2) == 0; }

void send_wake_up() {
    for (std::size_t i = 0; i < wake_bytes; ++i) {
        unit_put_byte(CAN);
        yield_to_window();
    }
}

bool allowed_in_table(int c) { return std::isalnum(c) || std::isspace(c) || c == ':' || c == '.'; }

int hex_value(int c) { return std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10; }

// The greeting may follow the LF that ended the previous reply.
bool is_greeting(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n\v\f");
    return start != std::string::npos && std::string_view(text).substr(start).starts_with(greeting);
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
    for (;;) {
        const int c = unit_get_byte();
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

int connect_unit() {
    std::array<char, 256> reply{};
    for (int attempt = 1;; ++attempt) {
        reply[0] = '\0';
        unit_close_port();
        sleep_ms(reopen_pause_ms);
        unit_open_port();
        sleep_ms(reopen_pause_ms);
        send_wake_up();
        sleep_ms(greeting_pause_ms);
        unit_read_line(reply.data(), reply.size(), greeting_limit_ms);
        if (g_commands.abort_requested || begins_ok(reply.data()) || attempt == connect_attempts) break;
    }
    if (!begins_ok(reply.data())) g_commands.abort_requested = true;
    return g_commands.abort_requested ? 1 : 0;
}

int query_unit_tables() {
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
    sleep_ms(first_query_pause_ms);
    bool all_valid = true;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        if (i > 0) send_wake_up();
        unit_send_command("%s", queries[i].command);
        queries[i].table.valid = false;
        queries[i].table.valid = read_unit_table(queries[i].table);
        all_valid = all_valid && queries[i].table.valid;
    }
    return all_valid ? 0 : 1;
}
