#pragma once
// The load history as the workshop reads it: the last run of each function
// on each unit, a line each.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/load_record.h"

// The records of one unit (all when `unit` is empty), in the history's order.
std::vector<LoadRecord> records_of_unit(const std::vector<LoadRecord>& records, std::optional<uint32_t> unit);
// The last record of each unit and function, by unit number (units without
// one last), then by function in the order first seen.
std::vector<LoadRecord> last_per_unit_and_function(const std::vector<LoadRecord>& records);
// "unit 12345678: terrain 61734-TDB-2024-00001 loaded 2026-12-11 08:14 UTC, completed"
std::string history_line(const LoadRecord& record);
