#pragma once
// The command line of htaws-unit-sim.
#include <string>

#include "sim/sim_unit.h"

struct ProgramOptions {
    SimConfig config;
    std::string name = "Gadget Serial (simulated)";  // the registered port's descriptive name
    std::string link;                                // registration path; default in the virtual ports folder
    int com_port = 0;                                // Wine COM port number to serve; 0: none
    std::string keep;                                // folder the unit's contents are written to; empty: none
    long stop_reading_after = -1;                    // bytes taken before the unit stops reading; -1: never
    bool help = false;
    bool recordings_given = false;                   // --recordings named the unit's recordings
};

// Fills `options` from the arguments; false with `error` set on a bad one.
bool parse_options(int argc, char** argv, ProgramOptions& options, std::string& error);
extern const char* const options_help;
