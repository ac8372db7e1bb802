#pragma once
// The command line of htaws-check.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CheckOptions {
    std::string top_directory = ".";
    std::optional<std::string> kind;  // --kind
    bool all = false;                 // every candidate, not only the one offered
    bool json = false;
    bool help = false;
    std::optional<std::string> file;  // --file, checked as --as
    std::optional<std::string> as;
};

// The options, or the reason the command line is refused in `error`.
CheckOptions parse_check_options(const std::vector<std::string_view>& args, std::string& error);
std::string check_usage();
