#include "output/json_string.h"

#include <cstdio>

namespace {
// The length of the valid UTF-8 sequence at `at`, or 0. File names need not
// be UTF-8, but the report must stay valid JSON.
std::size_t utf8_length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else
        return 0;
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = byte(at + i);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace

void write_json_string(std::string_view text, std::ostream& out) {
    out << '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out << '\\' << text[i];
        } else if (c == '\n') {
            out << "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out << escaped;
        } else if (c < 0x80) {
            out << text[i];
        } else if (const std::size_t length = utf8_length(text, i); length > 0) {
            out << text.substr(i, length);
            i += length - 1;
        } else {
            out << "\\ufffd";
        }
    }
    out << '"';
}
