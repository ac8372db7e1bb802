#pragma once
// The load history of a top-level directory: "Load Records/history.jsonl",
// one record a line, only ever appended to.
#include <string>
#include <vector>

#include "records/load_record.h"

std::string history_path(const std::string& top);

// Appends the record as one whole line (making the folder when needed); false
// with `error` saying why when it was not written.
bool append_history_record(const std::string& top, const LoadRecord& record, std::string& error);

struct HistoryRead {
    bool found = false;  // the history exists
    std::string error;   // it exists but could not be read
    std::vector<LoadRecord> records;
    // One for each line that is not a record, naming its line number.
    std::vector<std::string> warnings;
};
HistoryRead read_history(const std::string& path);
