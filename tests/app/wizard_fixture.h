#pragma once
// A clean process for one run of the wizard: every module's state reset, the
// simulated unit on the in-process port, the log in a temporary folder that
// is also the top-level directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "sim/sim_unit.h"
#include "support/temp_dir.h"

// The last command the unit received, the wake-up bytes aside.
std::string last_unit_command(const SimUnit& unit);

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Attaches a unit with this configuration (none: no unit at all).
    SimUnit& attach_unit(SimConfig config = {});
    std::string log_text() const;
    // A run of the wizard in the same folder: every module's state reset, no
    // unit attached; and its end, failing on what the run left unchecked.
    void start_run();
    void finish_run();

    TempDir dir;
    std::unique_ptr<SimUnit> unit;
    // Set by a test that provokes the unit's anomalies on purpose, too many
    // to declare one by one (a fault injected in the middle of a load).
    bool anomalies_allowed = false;

private:
    std::filesystem::path previous_directory;
};
