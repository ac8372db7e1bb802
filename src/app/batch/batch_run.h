#pragma once
// The program's command line: none runs the wizard; `run FUNCTION` runs one
// function without it, `list` prints the candidates, `--help` the usage.
#include <ostream>
#include <span>
#include <string_view>

#include "app/batch/batch_options.h"

// Returns the exit status: 0 completed, 1 failed, 2 a usage error.
int run_from_command_line(std::span<const std::string_view> args);
// One function run as the wizard would run it, with the options' answers; the
// JSON object, when asked for, goes to `json_out`.
int run_batch(const BatchOptions& options, std::ostream& json_out);
// Per function, the file the wizard would offer.
void list_candidates(const BatchOptions& options, std::ostream& out);
