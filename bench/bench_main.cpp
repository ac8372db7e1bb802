// The main of the benchmarks without one of their own: the terminal's window
// system installed, as in the program, then the benchmarks.
#include <benchmark/benchmark.h>

#include "platform/system_window.h"

int main(int argc, char** argv) {
    install_window_system(wizard_window_system());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
