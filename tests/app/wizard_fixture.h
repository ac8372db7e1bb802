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

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Attaches a unit with this configuration (none: no unit at all).
    SimUnit& attach_unit(SimConfig config = {});
    std::string log_text() const;

    TempDir dir;
    std::unique_ptr<SimUnit> unit;

private:
    std::filesystem::path previous_directory;
};
