#include <iostream>
#include <string_view>
#include <vector>

#include "check/run.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return run_check(args, std::cout, std::cerr);
}
