#include <iostream>
#include <string_view>
#include <vector>

#include "check/run.h"
#include "platform/report_lines/report_lines.h"

int main(int argc, char** argv) {
    install_window_system(report_lines_window_system());
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return run_check(args, std::cout, std::cerr);
}
