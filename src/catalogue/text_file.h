#pragma once
// Line-by-line reading and whole writing of the small text files in the
// top-level directory.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Calls `line` for each line without its line end ("\n" or "\r\n"). A line
// longer than `max_length` is handed over cut to that length with `too_long`
// set, so that no caller takes a piece of it for a line of its own. `line`
// returns false to stop reading. False when the file cannot be opened.
bool read_text_lines(const std::string& path, std::size_t max_length,
                     const std::function<bool(std::string_view line, bool too_long)>& line);

// Replaces the file with `text` (text mode); false when it cannot be written.
bool write_text_file(const std::string& path, std::string_view text);
