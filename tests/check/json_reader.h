#pragma once
// Just enough of a JSON reader to test the checker's report: objects, arrays,
// strings (with the escapes the report writes), whole numbers, true, false
// and null.
#include <cstdint>
#include <map>
#include <memory>
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
};

// Nothing when the text is not one well-formed value.
std::optional<JsonValue> parse_json(std::string_view text);
