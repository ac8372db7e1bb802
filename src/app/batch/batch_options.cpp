#include "app/batch/batch_options.h"

#include "records/record_json.h"

namespace {
ParsedCommandLine failed(std::string error) { return {std::nullopt, std::move(error)}; }

// "none" only where none is a choice.
std::optional<int> mode_of(std::string_view word, bool none_allowed) {
    if (word == "flt") return 0;
    if (word == "mnx") return 1;
    if (word == "none" && none_allowed) return -1;
    return std::nullopt;
}
}  // namespace

ParsedCommandLine parse_batch_command_line(std::span<const std::string_view> args) {
    BatchOptions options;
    if (args.empty()) return {options, ""};
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        if (args.size() > 1) return failed("--help takes no arguments");
        options.command = BatchCommand::help;
        return {options, ""};
    }
    std::size_t at = 1;
    if (args[0] == "list") {
        options.command = BatchCommand::list;
    } else if (args[0] == "status") {
        options.command = BatchCommand::status;
    } else if (args[0] == "history") {
        options.command = BatchCommand::history;
    } else if (args[0] == "run") {
        options.command = BatchCommand::run;
        if (args.size() < 2) return failed("run needs a function");
        for (const BatchFunctionName& n : batch_function_names())
            if (args[1] == n.name) options.function = n.function;
        if (options.function == LF_NONE) return failed("unknown function '" + std::string(args[1]) + "'");
        at = 2;
    } else {
        return failed("unknown command '" + std::string(args[0]) + "'");
    }
    for (; at < args.size(); ++at) {
        const std::string_view option = args[at];
        const bool reads_unit = options.command == BatchCommand::run || options.command == BatchCommand::status;
        if (option == "--json" && (reads_unit || options.command == BatchCommand::history)) {
            options.json = true;
            continue;
        }
        if (option == "--allow-factory-settings" && options.command == BatchCommand::run) {
            options.allow_factory_settings = true;
            continue;
        }
        const bool takes_value = option == "--top" || (reads_unit && option == "--port") ||
                                 (options.command == BatchCommand::history && option == "--unit") ||
                                 (options.command == BatchCommand::run &&
                                  (option == "--file" || option == "--reset" || option == "--erase-if-full"));
        if (!takes_value) return failed("unknown option '" + std::string(option) + "'");
        if (at + 1 >= args.size() || args[at + 1].empty()) return failed(std::string(option) + " needs a value");
        const std::string_view value = args[++at];
        if (option == "--top") {
            options.top = value;
        } else if (option == "--unit") {
            options.unit = unit_number_from_text(value);
            if (!options.unit) return failed("--unit takes a unit number as the unit shows it (hexadecimal), not '" + std::string(value) + "'");
        } else if (option == "--file") {
            options.file = value;
        } else if (option == "--port") {
            options.port = value;
        } else {
            const bool reset = option == "--reset";
            const auto mode = mode_of(value, reset);
            if (!mode)
                return failed(std::string(option) + " takes " + (reset ? "none, flt or mnx" : "flt or mnx") +
                              ", not '" + std::string(value) + "'");
            (reset ? options.reset : options.erase_if_full) = *mode;
        }
    }
    return {options, ""};
}

std::string batch_usage() {
    std::string text =
        "Usage:\n"
        "  htaws-uploader                 the wizard\n"
        "  htaws-uploader list [--top DIR]\n"
        "      prints, per function, the file the wizard would offer\n"
        "  htaws-uploader run FUNCTION [--top DIR] [--file NAME] [--reset none|flt|mnx] [--port NAME]\n"
        "                     [--erase-if-full flt|mnx] [--allow-factory-settings] [--json]\n"
        "      runs one function as the wizard would, without asking anybody\n"
        "  htaws-uploader status [--top DIR] [--port NAME] [--json]\n"
        "      reads each attached unit (wake-up and tables only, nothing changed): its\n"
        "      identity, tables and the database versions it accepts; with --top, every\n"
        "      candidate there judged for it as a load would judge it\n"
        "  htaws-uploader history [--top DIR] [--unit N] [--json]\n"
        "      prints the last run of each function on each unit from the load history\n"
        "      (\"Load Records/history.jsonl\"); --unit: that unit's only (its number as the\n"
        "      unit shows it, hexadecimal); --json: every record (of that unit) as a JSON array\n"
        "\n"
        "FUNCTION is one of:\n";
    for (const BatchFunctionName& n : batch_function_names()) text += std::string("  ") + n.name + "\n";
    text +=
        "\n"
        "  --top DIR          the top-level directory (default: the current directory)\n"
        "  --file NAME        the file to send or write instead of the one offered: for a load, a\n"
        "                     version as `list` shows it, whole or a part of only one; for a\n"
        "                     configuration, the file's name\n"
        "  --reset MODE       the mode the unit restarts in after a system software load; that\n"
        "                     load needs flt or mnx (with none it ends at the reset question)\n"
        "  --port NAME        the unit's port (default: the first \"Gadget Serial\" port; status\n"
        "                     reads every one)\n"
        "  --erase-if-full M  when the unit has no room for a database, erase it and reset in M\n"
        "  --allow-factory-settings  let a configuration write update the factory settings\n"
        "  --json             print the result as one JSON object on standard output\n"
        "\n"
        "Every question the wizard would ask is answered by these options; \"Try again?\" is\n"
        "answered No. A question nothing answers ends the run with its text.\n"
        "Exit status: 0 the function completed (status: every unit found was read), 1 it\n"
        "failed (status: no unit, a busy port, no answer or unreadable tables; history: the load\n"
        "history unreadable), 2 a usage error.\n"
        "\n"
        "Examples:\n"
        "  htaws-uploader list --top /media/loads\n"
        "  htaws-uploader run obstacle --top /media/loads --json\n"
        "  htaws-uploader status --top /media/loads\n"
        "  htaws-uploader history --top /media/loads --unit 12345678\n";
    return text;
}
