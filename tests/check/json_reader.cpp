#include "check/json_reader.h"

#include <cctype>

namespace {
struct Reader {
    std::string_view text;
    std::size_t at = 0;
    bool failed = false;

    void blanks() {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    }
    bool take(char c) {
        blanks();
        if (at < text.size() && text[at] == c) return ++at, true;
        return false;
    }
    bool word(std::string_view w) {
        blanks();
        if (text.substr(at, w.size()) != w) return false;
        at += w.size();
        return true;
    }
    std::string string() {
        std::string s;
        if (!take('"')) return failed = true, s;
        while (at < text.size() && text[at] != '"') {
            const char c = text[at++];
            if (static_cast<unsigned char>(c) < 0x20) return failed = true, s;
            if (c != '\\') {
                s += c;
                continue;
            }
            if (at >= text.size()) return failed = true, s;
            const char e = text[at++];
            if (e == 'n') s += '\n';
            else if (e == '"' || e == '\\' || e == '/') s += e;
            else if (e == 'u' && at + 4 <= text.size()) {
                s += static_cast<char>(std::stoi(std::string(text.substr(at, 4)), nullptr, 16) & 0x7F);
                at += 4;
            } else
                return failed = true, s;
        }
        if (!take('"')) failed = true;
        return s;
    }
    JsonValue value() {
        JsonValue v;
        blanks();
        if (at >= text.size()) return failed = true, v;
        if (text[at] == '"') {
            v.type = JsonValue::Type::string;
            v.string = string();
        } else if (take('[')) {
            v.type = JsonValue::Type::array;
            if (take(']')) return v;
            do v.array.push_back(value());
            while (!failed && take(','));
            if (!take(']')) failed = true;
        } else if (take('{')) {
            v.type = JsonValue::Type::object;
            if (take('}')) return v;
            do {
                std::string key = string();
                if (!take(':')) return failed = true, v;
                v.object[key] = value();
            } while (!failed && take(','));
            if (!take('}')) failed = true;
        } else if (text[at] >= '0' && text[at] <= '9') {
            v.type = JsonValue::Type::number;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                v.number = v.number * 10 + uint64_t(text[at++] - '0');
        } else if (word("true") || word("false")) {
            v.type = JsonValue::Type::boolean;
            v.boolean = text[at - 1] == 'e' && text[at - 2] == 'u';
        } else if (!word("null")) {
            failed = true;
        }
        return v;
    }
};
}  // namespace

std::optional<JsonValue> parse_json(std::string_view text) {
    Reader reader{text};
    JsonValue v = reader.value();
    reader.blanks();
    if (reader.failed || reader.at != text.size()) return std::nullopt;
    return v;
}
