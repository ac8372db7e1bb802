#pragma once
// Paths: the platform's separator, joining a folder and a name, and the
// 259-character bound that every path of the program respects.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

inline constexpr std::size_t max_path_length = 259;

// True when the path fits the bound.
bool path_fits(std::string_view path);

// folder + separator + name, or nothing when the result would exceed the bound
// (never truncated). An empty folder gives the name alone.
std::optional<std::string> path_join(std::string_view folder, std::string_view name);

// The clear refusal shown for an overlong path.
std::string path_too_long_message(std::string_view path);
