#pragma once
// A one-line question on its own screen: the technician types a path, Tab
// completes an existing name, Enter accepts, Escape cancels.
#include <optional>
#include <string>
#include <string_view>

// The typed text, or nothing when cancelled (also at the end of input).
// Relative names are completed from `base` (empty: the current directory).
std::optional<std::string> prompt_path(std::string_view title, std::string_view hint, std::string_view base);
