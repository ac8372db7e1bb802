#include "catalogue/text_file.h"

#include <cstdio>

bool read_text_lines(const std::string& path, std::size_t max_length,
                     const std::function<bool(std::string_view line, bool too_long)>& line) {
    // Binary mode, so that a file written on Windows reads the same on Linux.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string text;
    bool too_long = false;
    const auto deliver = [&] {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.size() > max_length) {
            too_long = true;
            text.resize(max_length);
        }
        const bool more = line(text, too_long);
        text.clear();
        too_long = false;
        return more;
    };
    for (;;) {
        const int c = std::fgetc(f);
        if (c == EOF) {
            if (!text.empty() || too_long) deliver();
            break;
        }
        if (c == '\n') {
            if (!deliver()) break;
            continue;
        }
        // One character beyond the bound is kept: it may be the "\r" of the line end.
        if (text.size() <= max_length)
            text += static_cast<char>(c);
        else
            too_long = true;
    }
    std::fclose(f);
    return true;
}

bool write_text_file(const std::string& path, std::string_view text) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}
