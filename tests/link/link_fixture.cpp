#include "link/link_fixture.h"

#include <algorithm>
#include <cstdio>

#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/status.h"
#include "platform/clock.h"
#include "support/fixtures/bytes.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "support/unit_link_reset.h"
#include "support/virtual_clock.h"
#include "unit/identity.h"
#include "unit/model.h"

void LinkTest::SetUp() {
    virtual_clock_reset(1'000'000);
    script_reset();
    sim_ports_reset();
    reset_unit_link_state();
}

void LinkTest::TearDown() {
    reset_link_state();
    const std::string anomalies = sim_port_finish();
    EXPECT_TRUE(anomalies.empty()) << anomalies << (unit ? unit->transcript_text() : "");
    sim_ports_reset();
    virtual_clock_on_sleep(nullptr);
    EXPECT_EQ(script_pending(), 0u) << "expected message boxes were not shown";
}

SimUnit& LinkTest::attach(SimConfig config) {
    auto fresh = std::make_unique<SimUnit>(std::move(config));
    sim_port_attach(fresh.get());
    unit = std::move(fresh);
    g_link.port_found = true;
    g_link.port_name = "sim";
    return *unit;
}

SimUnit& LinkTest::open(SimConfig config) {
    attach(std::move(config));
    EXPECT_TRUE(unit_open_port());
    return *unit;
}

SimUnit& LinkTest::replying(std::string bytes) {
    SimConfig config;
    config.parameters = {std::move(bytes)};
    config.line_end = "";
    open(std::move(config));
    EXPECT_TRUE(unit_send_command("RP\r\n"));
    return *unit;
}

void LinkTest::pull_cable() {
    unit->config().faults.cable_pulled_after = 0;
    const uint8_t any = 0;
    unit->receive(&any, 1, now_ms());
    ASSERT_FALSE(unit->connected());
}

void LinkTest::watch_window_gaps(std::function<void()> at_yield) {
    last_yield_at_ = now_ms();
    longest_gap_ = 0;
    script_on_yield([this, at_yield = std::move(at_yield)] {
        longest_gap_ = std::max(longest_gap_, now_ms() - last_yield_at_);
        last_yield_at_ = now_ms();
        if (at_yield) at_yield();
    });
}

uint64_t LinkTest::longest_window_gap() const { return std::max(longest_gap_, now_ms() - last_yield_at_); }

bool LinkTest::transcript_has(std::string_view text) const { return transcript_count(text) > 0; }

int LinkTest::transcript_count(std::string_view text) const {
    int n = 0;
    for (const SimEvent& e : unit->transcript()) n += e.text == text;
    return n;
}

std::string table_digits(const std::string& table, std::size_t per_line, std::string_view gap) {
    std::string digits;
    for (char byte : table) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", uint8_t(byte));
        digits += pair;
    }
    std::string text;
    for (std::size_t i = 0; i < digits.size(); i += per_line) {
        if (i > 0) text += gap;
        text += digits.substr(i, per_line);
    }
    return text;
}

std::string checked_table(uint8_t seed) {
    std::string table = filler_bytes(256, seed);
    table.resize(260);
    set_be32(table, 256, crc_register_of(std::string_view(table).substr(0, 256)));
    return table;
}
