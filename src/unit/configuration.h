#pragma once
// Reading the unit's configuration into a parameter file ("RP") and writing a
// parameter file back to it ("WP").
#include <string>

#include "platform/pages.h"

// The progress bar the operations move.
inline constexpr int configuration_progress_control = 1016;

// Stores the unit's list in `target`: 0 when it arrived complete, 1 on any
// failure, which leaves a previous `target` exactly as it was.
int read_configuration(Page page, const std::string& target);

struct ConfigurationWrite {
    std::string source;
    bool current_generation = true;
    std::string model;       // the model text last detected
    uint32_t serial = 0;     // the unit's serial number
};
// Sends the file: 0 when all of it has gone out, 1 when it was refused or
// the write was abandoned.
int write_configuration(Page page, const ConfigurationWrite& write);
