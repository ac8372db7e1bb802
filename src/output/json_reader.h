#pragma once
// A JSON reader for what this program writes and reads back (its load
// history, the checker's report): objects, arrays, strings (every escape,
// \u as UTF-8), whole numbers, true, false and null. Hand-edited or cut text
// is answered with nothing, never a crash: escapes and numbers are checked,
// and nesting is bounded.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
    enum class Type { null, boolean, number, string, array, object } type = Type::null;
    bool boolean = false;
    uint64_t number = 0;
    std::string string;
    std::vector<JsonValue> array;
    std::map<std::string, JsonValue> object;

    const JsonValue& operator[](const std::string& key) const { return object.at(key); }
    // The member `key` when this is an object holding it, else nothing.
    const JsonValue* find(const std::string& key) const;
};

// Nothing when the text is not one well-formed value.
std::optional<JsonValue> parse_json(std::string_view text);
