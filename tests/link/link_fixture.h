#pragma once
// A simulated unit on the in-process port and the virtual clock, with every
// module's state reset around each test.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sim/sim_unit.h"

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Attaches a unit, as if discovery had found its port ("sim").
    SimUnit& attach(SimConfig config = {});
    // Attaches and opens the port.
    SimUnit& open(SimConfig config = {});
    // A unit whose only reply is `bytes`, exactly, as its answer to "RP".
    SimUnit& replying(std::string bytes);
    // The cable comes out now.
    void pull_cable();
    bool transcript_has(std::string_view text) const;
    // From now on, measures the stretches of virtual time the page thread goes
    // without a yield_to_window call; `at_yield` runs at each yield (a page
    // handler the technician caused).
    void watch_window_gaps(std::function<void()> at_yield = {});
    // The longest such stretch, the one up to now included.
    uint64_t longest_window_gap() const;
    int transcript_count(std::string_view text) const;

    std::unique_ptr<SimUnit> unit;
    uint64_t last_yield_at_ = 0;
    uint64_t longest_gap_ = 0;
};

// The hexadecimal digits of a table reply (256 bytes and their check) in lines
// of `per_line` digits separated by `gap`.
std::string table_digits(const std::string& table, std::size_t per_line, std::string_view gap);
// A 256-byte table with its check appended.
std::string checked_table(uint8_t seed);
