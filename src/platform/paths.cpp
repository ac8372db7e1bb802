#include "platform/paths.h"

bool path_fits(std::string_view path) { return path.size() <= max_path_length; }

std::optional<std::string> path_join(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!joined.empty() && joined.back() != path_separator) joined += path_separator;
    joined += name;
    if (!path_fits(joined)) return std::nullopt;
    return joined;
}

std::string path_too_long_message(std::string_view path) {
    return "Path too long (more than " + std::to_string(max_path_length) + " characters): " +
           std::string(path);
}
