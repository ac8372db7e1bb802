// Drives the real htaws-uploader.exe through its windows, as a technician
// would, against the simulated unit, and checks what it shows, what the unit
// took and what it leaves on disk. One scenario a run; prints "PASS: ..." and
// returns 0, or prints "FAIL: ..." with the windows the uploader showed and
// returns 1.
//
// Usage: gui_driver SCENARIO UPLOADER_EXE TOP_DIRECTORY WORK_FOLDER
//   WORK_FOLDER holds "unit", the simulated unit's kept contents, and what the
//   case set up for the scenario (tests/wine/gui/run-gui-case).
//   shots prints "shot NAME" at each page and waits for a line on its input.
#include <windows.h>

#include <cstdio>

#include "gui_scenarios.h"

int main(int argc, char** argv) {
    std::vector<Scenario> scenarios;
    for (const auto* family :
         {&basic_scenarios, &configuration_scenarios, &shots_scenarios, &load_scenarios, &maintenance_scenarios})
        scenarios.insert(scenarios.end(), family->begin(), family->end());
    const std::string name = argc > 1 ? argv[1] : "";
    const Scenario* scenario = nullptr;
    for (const Scenario& s : scenarios)
        if (name == s.name) scenario = &s;
    if (!scenario || argc != 5) {
        std::fprintf(stderr, "usage: gui_driver SCENARIO UPLOADER_EXE TOP_DIRECTORY WORK_FOLDER\nscenarios:");
        for (const Scenario& s : scenarios) std::fprintf(stderr, " %s", s.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    try {
        scenario->run({argv[2], argv[3], argv[4]});
    } catch (const Failure& failure) {
        std::printf("FAIL: %s: %s\n", name.c_str(), failure.what());
        return 1;
    }
    std::printf("PASS: %s\n", name.c_str());
    return 0;
}
