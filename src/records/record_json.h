#pragma once
// A load record as one line of JSON (the history's form) and back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/load_record.h"

// A unit number as the unit shows it (hexadecimal, "12345678") and back;
// nothing for a text that is not one.
std::string unit_number_text(uint32_t number);
std::optional<uint32_t> unit_number_from_text(std::string_view text);

// The record as one JSON object on one line, ended by "\n".
std::string record_json_line(const LoadRecord& record);
// The record of a line record_json_line wrote (without its "\n"); nothing when
// the line is not such a record (hand-edited, or cut short).
std::optional<LoadRecord> record_from_json(std::string_view line);
