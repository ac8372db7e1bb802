#pragma once
// A text as a JSON string: quotes, backslashes and control characters
// escaped; bytes that are not valid UTF-8 replaced, so the output stays valid
// JSON whatever a file name holds.
#include <ostream>
#include <string_view>

void write_json_string(std::string_view text, std::ostream& out);
