#include <string_view>
#include <vector>

#include "app/batch/batch_run.h"
#include "app/load_procedures.h"
#include "app/startup.h"
#include "app/transfer_page.h"

int main(int argc, char** argv) {
    register_shell_procedures();
    register_load_procedures();
#ifdef _WIN32
    // A GUI program without a console: the wizard only.
    static_cast<void>(argc);
    static_cast<void>(argv);
    return run_uploader();
#else
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return run_from_command_line(args);
#endif
}
