#include <string_view>
#include <vector>

#include "app/batch/batch_run.h"
#include "app/startup.h"
#include "platform/process.h"
#include "platform/system_window.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    // Without arguments the program is the wizard and has no console to use;
    // with them it shows no window: its pages are answered by the options.
    if (args.empty()) {
        install_window_system(wizard_window_system());
    } else {
        use_caller_console();
        install_window_system(command_line_window_system());
    }
    return run_from_command_line(args);
}
