#pragma once
// What the tests ask of texts: the status box, the log, the unit's transcript.
#include <cstddef>
#include <string>
#include <vector>

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Lines as the program writes them to a text file: on Windows each line ends
// in CR LF on the disk.
inline std::string lines_of(const std::vector<std::string>& lines) {
#ifdef _WIN32
    constexpr const char* line_end = "\r\n";
#else
    constexpr const char* line_end = "\n";
#endif
    std::string text;
    for (const std::string& line : lines) text += line + line_end;
    return text;
}
