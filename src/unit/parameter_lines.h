#pragma once
// The lines of a parameter file: "<name> 0x<eight hex digits>", an optional
// model and serial header, and the names that mark factory settings.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// Longest line read from a parameter file; longer lines arrive in pieces.
inline constexpr std::size_t parameter_line_limit = 254;

// A name, "0x" and eight hexadecimal digits take at least this many characters.
inline constexpr std::size_t parameter_line_shortest = 11;

struct LineFault {
    // 0 valid; 1 a character outside the name alphabet; 2 a bad value
    // character; 3 too short to hold a name and a value.
    int rule = 0;
    std::size_t position = 0;  // of the first bad character (rules 1 and 2)
};

LineFault check_parameter_line(std::string_view line);
bool is_factory_setting(std::string_view line);
// A first line with both "ModelID=" and "Serial=".
bool is_factory_header(std::string_view line);
// Without trailing spaces, tabs, CR and LF.
std::string_view trim_line_end(std::string_view line);
// The next line with its line feed, at most parameter_line_limit characters;
// false at the end of the file.
bool read_parameter_line(std::FILE* file, std::string& line);
// Calls `each` with every data line of the file that a write sends, trimmed,
// up to the end of the data; `each` returns false to stop. `factory`: the file
// begins with a factory header.
void for_each_sent_line(std::FILE* file, bool factory, const std::function<bool(std::string_view)>& each);
// Shows and logs that a write skips `line`, which breaks the rule of `fault`.
void report_ignored_line(std::string_view line, const LineFault& fault);
