#pragma once
// The command line of a run without the wizard: which function, where its
// files are and how the questions a technician would answer are answered.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/function_names.h"
#include "catalogue/loader_function.h"

enum class BatchCommand { wizard, help, list, run, status, history };

struct BatchOptions {
    BatchCommand command = BatchCommand::wizard;
    LoaderFunction function = LF_NONE;
    std::string top;   // empty: the current directory
    std::string file;  // empty: the candidate the wizard would offer
    std::string port;  // empty: the first unit found
    // -2 not given (the question has no answer), -1 none, 0 flight, 1 maintenance.
    int reset = -2;
    int erase_if_full = -2;
    bool allow_factory_settings = false;
    bool json = false;
    std::optional<uint32_t> unit;  // history: this unit's records only
};

struct ParsedCommandLine {
    std::optional<BatchOptions> options;
    std::string error;  // when options is empty
};

// The arguments after the program's name; none: the wizard.
ParsedCommandLine parse_batch_command_line(std::span<const std::string_view> args);
std::string batch_usage();
