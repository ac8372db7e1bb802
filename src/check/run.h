#pragma once
// One run of htaws-check: the command line in, the report out, the exit status back.
#include <ostream>
#include <string_view>
#include <vector>

inline constexpr int check_passed = 0;
inline constexpr int check_failed = 1;
inline constexpr int check_usage_error = 2;

int run_check(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err);
