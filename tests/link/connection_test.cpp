// Waking the unit, its five tables, and finding its port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/link_fixture.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "support/sim_port.h"
#include "support/virtual_clock.h"

namespace {
using ConnectionTest = LinkTest;

std::string table_of(const UnitTable& t) { return std::string(t.bytes.begin(), t.bytes.end()); }
}  // namespace

// The unit sends its table reply one byte at a time: the reply must be
// complete within 10 s however it is paced.
TEST_F(ConnectionTest, TableReplyIsBoundedInTotal) {
    struct Case {
        uint32_t trickle_ms;
        bool valid;
    };
    for (const Case c : {Case{10, true}, Case{20, false}}) {
        SCOPED_TRACE(c.trickle_ms);
        SimConfig config;
        config.faults.trickle_ms = c.trickle_ms;
        open(config);
        ASSERT_TRUE(unit_send_command("QP\r"));
        const uint64_t start = now_ms();
        EXPECT_EQ(read_unit_table(g_unit_tables.p_table), c.valid);
        EXPECT_LE(now_ms() - start, 10000u);
    }
}

// A silent unit: twenty attempts of about 1.5 s, the window answered throughout.
TEST_F(ConnectionTest, ConnectingKeepsTheWindowAnswering) {
    SimConfig silent;
    silent.faults.silent = true;
    open(silent);
    watch_window_gaps();
    EXPECT_FALSE(connect_unit());
    EXPECT_LE(longest_window_gap(), window_slice_ms);
}

TEST_F(ConnectionTest, ConnectsOnTheAttemptTheUnitAnswers) {
    struct Case {
        const char* name;
        int answers_on;  // 0: never
        bool abort_first;
        bool connected;
        int attempts;
    };
    const std::vector<Case> cases = {
        {"answers at once", 1, false, true, 1},
        {"answers on the 20th attempt", 20, false, true, 20},
        {"never answers", 0, false, false, 20},
        {"abort already requested", 1, true, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_command_state();
        SimConfig config;
        config.faults.silent = c.answers_on != 1;
        SimUnit& u = attach(config);
        g_commands.abort_requested = c.abort_first;
        const uint64_t start = now_ms();
        // Each silent attempt takes 250 + 250 + 500 ms of pauses and 500 ms of reading.
        if (c.answers_on > 1)
            virtual_clock_on_sleep([&u, start, c](uint64_t now) {
                if (now - start >= uint64_t(c.answers_on - 1) * 1500) u.config().faults.silent = false;
            });
        EXPECT_EQ(connect_unit(), c.connected);
        virtual_clock_on_sleep(nullptr);
        EXPECT_EQ(transcript_count("<CAN x8>"), c.attempts);
        EXPECT_EQ(g_commands.abort_requested, !c.connected);
        EXPECT_EQ(sim_port_is_open(), true);
        if (c.answers_on == 0) {
            EXPECT_EQ(now_ms() - start, 20 * 1500u);
        }
    }
}

TEST_F(ConnectionTest, ReadsTheFiveTablesWhateverTheLineEnd) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        SimConfig config;
        config.line_end = end;
        config.other_tables[2][7] = 0x5A;
        open(config);
        ASSERT_TRUE(connect_unit());
        EXPECT_TRUE(query_unit_tables());
        for (const UnitTable* t : {&g_unit_tables.p_table, &g_unit_tables.t_table, &g_unit_tables.b_table,
                                   &g_unit_tables.n_table, &g_unit_tables.y_table})
            EXPECT_TRUE(t->valid);
        const auto p = sim_p_table(config);
        EXPECT_TRUE(std::equal(p.begin(), p.end(), g_unit_tables.p_table.bytes.begin()));
        EXPECT_EQ(g_unit_tables.n_table.bytes[7], 0x5A);
    }
}

TEST_F(ConnectionTest, ACorruptTableFailsTheQueryAlone) {
    SimConfig config;
    config.faults.corrupt_table = 'B';
    open(config);
    ASSERT_TRUE(connect_unit());
    EXPECT_FALSE(query_unit_tables());
    EXPECT_TRUE(g_unit_tables.p_table.valid);
    EXPECT_FALSE(g_unit_tables.b_table.valid);
    EXPECT_TRUE(g_unit_tables.y_table.valid);
}

TEST_F(ConnectionTest, TableReplies) {
    const std::string table = checked_table(9);
    std::string wrong_check = table;
    wrong_check[259] ^= 1;
    const std::string greeting = "OK: Ready for commands.";
    struct Case {
        const char* name;
        std::string unit_sends;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"lines of 32 digits", table_digits(table, 32, "\r\n") + "\r\n\r", true},
        {"after the greeting", greeting + "\r\n" + table_digits(table, 32, "\r\n") + "\r\n\r\n", true},
        {"greeting after the LF of the last reply", "\n" + greeting + "\r\n" + table_digits(table, 32, "\r\n") + "\r\r", true},
        {"odd grouping", table_digits(table, 7, " : .\n") + "\r\n\r", true},
        {"upper case digits", [&] {
             std::string t = table_digits(table, 64, "\r\n");
             for (char& ch : t) ch = char(std::toupper(static_cast<unsigned char>(ch)));
             return t;
         }() + "\r\n\r", true},
        {"wrong check", table_digits(wrong_check, 32, "\r\n") + "\r\n\r", false},
        {"255 bytes", table_digits(table.substr(0, 255), 32, "\r\n") + "\r\n\r", false},
        {"ended early by a stray character", table_digits(table, 32, "\r\n#\r\n") + "\r\n\r", false},
        {"more than 260 bytes", table_digits(table + "ab", 32, "\r\n") + "\r\n\r", false},
        {"the unit stops", table_digits(table, 32, "\r\n"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        replying(c.unit_sends);
        UnitTable parsed;
        EXPECT_EQ(read_unit_table(parsed), c.valid);
        if (c.valid) {
            EXPECT_EQ(table_of(parsed), table);
        }
    }
}

TEST_F(ConnectionTest, PulledCableFailsTheRemainingTablesAtOnce) {
    SimConfig config;
    open(config);
    ASSERT_TRUE(connect_unit());
    // "QP\r", then the wake-up burst and one byte of "QT\r".
    unit->config().faults.cable_pulled_after = long(8 + 3 + 8 + 1);
    const uint64_t start = now_ms();
    EXPECT_FALSE(query_unit_tables());
    EXPECT_LT(now_ms() - start, 200u);
    EXPECT_TRUE(g_unit_tables.p_table.valid);
    EXPECT_FALSE(g_unit_tables.t_table.valid);
    EXPECT_FALSE(g_unit_tables.y_table.valid);
}

TEST_F(ConnectionTest, DiscoveryTakesTheFirstGadgetThatOpens) {
    attach();
    g_link.port_found = false;
    sim_ports_set({{"COM3", "Communications Port (COM3)"},
                   {"busy", "Gadget Serial (COM4)"},
                   {"sim", "Gadget Serial (COM12)"},
                   {"other", "Gadget Serial (COM13)"}});
    const uint64_t start = now_ms();
    EXPECT_TRUE(locate_unit_port());
    EXPECT_EQ(now_ms() - start, 100u);
    EXPECT_EQ(g_link.port_name, "sim");
    EXPECT_TRUE(g_link.port_found);
    EXPECT_TRUE(g_link.current_link_seen);
    EXPECT_FALSE(sim_port_is_open()) << "the probe closes the port again";

    ASSERT_TRUE(unit_open_port());
    const uint64_t again = now_ms();
    EXPECT_FALSE(locate_unit_port()) << "the only gadget is held open";
    EXPECT_EQ(now_ms() - again, 100u + 3 * 250u);
    EXPECT_FALSE(g_link.port_found);
    EXPECT_TRUE(g_link.current_link_seen);

    unit_close_port();
    sim_ports_set({{"sim", "USB Serial Device (COM5)"}});
    EXPECT_FALSE(locate_unit_port());
}
