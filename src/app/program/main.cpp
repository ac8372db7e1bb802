#include <string_view>
#include <vector>

#include "app/batch/batch_run.h"
#include "app/startup.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    // Without arguments the program is the wizard and has no console to use.
    if (!args.empty()) use_caller_console();
    return run_from_command_line(args);
}
