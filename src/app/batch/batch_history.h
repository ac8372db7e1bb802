#pragma once
// `htaws-uploader history`: the load history of the top-level directory, as
// a table of the last run of each function on each unit, or as JSON.
#include <ostream>

#include "app/batch/batch_options.h"

// Returns the exit status: 0, or 1 when the history could not be read. Lines
// that are not records are skipped with a warning to `warnings`.
int print_history(const BatchOptions& options, const std::string& top, std::ostream& out, std::ostream& warnings);
