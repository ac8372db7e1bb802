#include "output/json_reader.h"

#include <limits>

namespace {
constexpr int deepest = 32;

void append_utf8(std::string& s, uint32_t code) {
    if (code < 0x80) {
        s += char(code);
    } else if (code < 0x800) {
        s += char(0xC0 | (code >> 6));
        s += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        s += char(0xE0 | (code >> 12));
        s += char(0x80 | ((code >> 6) & 0x3F));
        s += char(0x80 | (code & 0x3F));
    } else {
        s += char(0xF0 | (code >> 18));
        s += char(0x80 | ((code >> 12) & 0x3F));
        s += char(0x80 | ((code >> 6) & 0x3F));
        s += char(0x80 | (code & 0x3F));
    }
}

struct Reader {
    std::string_view text;
    std::size_t at = 0;
    bool failed = false;
    int depth = 0;

    void blanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
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
    // Four hexadecimal digits after "\u".
    std::optional<uint32_t> hex4() {
        if (at + 4 > text.size()) return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text[at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return std::nullopt;
            v = v * 16 + uint32_t(digit);
        }
        return v;
    }
    bool escape(std::string& s) {
        if (at >= text.size()) return false;
        const char e = text[at++];
        switch (e) {
            case '"':
            case '\\':
            case '/': s += e; return true;
            case 'b': s += '\b'; return true;
            case 'f': s += '\f'; return true;
            case 'n': s += '\n'; return true;
            case 'r': s += '\r'; return true;
            case 't': s += '\t'; return true;
            case 'u': break;
            default: return false;
        }
        std::optional<uint32_t> code = hex4();
        if (!code || (*code >= 0xDC00 && *code <= 0xDFFF)) return false;
        if (*code >= 0xD800 && *code <= 0xDBFF) {
            if (text.substr(at, 2) != "\\u") return false;
            at += 2;
            const std::optional<uint32_t> low = hex4();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
            code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
        }
        append_utf8(s, *code);
        return true;
    }
    std::string string() {
        std::string s;
        if (!take('"')) return failed = true, s;
        while (at < text.size() && text[at] != '"') {
            const char c = text[at++];
            if (static_cast<unsigned char>(c) < 0x20) return failed = true, s;
            if (c != '\\') s += c;
            else if (!escape(s)) return failed = true, s;
        }
        if (!take('"')) failed = true;
        return s;
    }
    void number(JsonValue& v) {
        v.type = JsonValue::Type::number;
        constexpr uint64_t most = std::numeric_limits<uint64_t>::max();
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            const uint64_t digit = uint64_t(text[at++] - '0');
            if (v.number > (most - digit) / 10) {
                failed = true;
                return;
            }
            v.number = v.number * 10 + digit;
        }
    }
    JsonValue value() {
        JsonValue v;
        blanks();
        if (at >= text.size() || ++depth > deepest) return failed = true, v;
        if (text[at] == '"') {
            v.type = JsonValue::Type::string;
            v.string = string();
        } else if (take('[')) {
            v.type = JsonValue::Type::array;
            if (!take(']')) {
                do v.array.push_back(value());
                while (!failed && take(','));
                if (!take(']')) failed = true;
            }
        } else if (take('{')) {
            v.type = JsonValue::Type::object;
            if (!take('}')) {
                do {
                    std::string key = string();
                    if (failed || !take(':')) return failed = true, v;
                    v.object[key] = value();
                } while (!failed && take(','));
                if (!take('}')) failed = true;
            }
        } else if (text[at] >= '0' && text[at] <= '9') {
            number(v);
        } else if (word("true")) {
            v.type = JsonValue::Type::boolean;
            v.boolean = true;
        } else if (word("false")) {
            v.type = JsonValue::Type::boolean;
        } else if (!word("null")) {
            failed = true;
        }
        --depth;
        return v;
    }
};
}  // namespace

const JsonValue* JsonValue::find(const std::string& key) const {
    if (type != Type::object) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &it->second;
}

std::optional<JsonValue> parse_json(std::string_view text) {
    Reader reader{text};
    JsonValue v = reader.value();
    reader.blanks();
    if (reader.failed || reader.at != text.size()) return std::nullopt;
    return v;
}
