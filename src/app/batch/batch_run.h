#pragma once
// The program's command line: none runs the wizard; `run FUNCTION` runs one
// function without it, `list` prints the candidates, `--help` the usage.
#include <cstdio>
#include <ostream>
#include <span>
#include <string_view>

#include "app/batch/batch_options.h"
#include "app/startup.h"

// Returns the exit status: 0 completed, 1 failed, 2 a usage error.
int run_from_command_line(std::span<const std::string_view> args);
// One function run as the wizard would run it, with the options' answers: the
// lines printed as it goes to `lines`, the JSON object, when asked for, to
// `json_out`. `program` runs the start-up around the pages it is given.
int run_batch(const BatchOptions& options, std::FILE* lines, std::ostream& json_out,
              int (*program)(void (*pages)()) = run_uploader);
// Per function, the file the wizard would offer.
void list_candidates(const BatchOptions& options, std::ostream& out);
