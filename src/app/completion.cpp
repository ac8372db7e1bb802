#include "app/completion.h"

namespace {
constexpr std::string_view completion_lines[] = {
    "System software load complete",
    "Configuration read complete",
    "Configuration write complete",
    "Flight Data Recording file transfers complete",
    "Flight Data Recording erase operation complete.",
    "Load Block Test image complete",
};
constexpr std::string_view loads_closing_line = "** When finished loading all files";
}  // namespace

bool marks_completion(std::string_view line, std::string_view previous, std::string& completion) {
    if (line == loads_closing_line && !previous.empty()) {
        completion = previous;
        return true;
    }
    for (std::string_view c : completion_lines)
        if (line == c) {
            completion = line;
            return true;
        }
    return false;
}
