#pragma once
// The scenarios gui_driver runs, one list per family of the uploader's work.
#include <vector>

#include "gui_steps.h"

struct Scenario {
    const char* name;
    void (*run)(const Arguments&);
};

extern const std::vector<Scenario> basic_scenarios;          // splash, setup page, instances, Escape
extern const std::vector<Scenario> configuration_scenarios;  // configuration read and write
extern const std::vector<Scenario> shots_scenarios;          // the pictures of tools/screenshots
extern const std::vector<Scenario> load_scenarios;           // the current-generation loads and their failures
extern const std::vector<Scenario> maintenance_scenarios;    // recordings, block test, earlier-generation loads
