#include "app/batch/batch_run.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/batch/batch_history.h"
#include "app/batch/batch_outcome.h"
#include "app/batch/batch_output.h"
#include "app/batch/batch_policy.h"
#include "app/batch/batch_report.h"
#include "app/page_loop.h"
#include "app/preflight/status_command.h"
#include "app/program_fault.h"
#include "app/run_record.h"
#include "app/startup.h"
#include "catalogue/catalogue.h"
#include "catalogue/setup_entry.h"
#include "catalogue/upload_settings.h"
#include "catalogue/version_select.h"
#include "link/serial.h"
#include "output/status.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"

namespace {
void echo_status(std::string_view text) {
    batch_output_line(text);
    batch_outcome_status(text);
}

RunJudgement batch_judgement() { return {batch_succeeded(), batch_final_message()}; }

int usage_error(const std::string& error) {
    std::fprintf(stderr, "htaws-uploader: %s\nTry 'htaws-uploader --help'.\n", error.c_str());
    return 2;
}

// A run's top-level directory holds at least one of the folders its settings
// name (the nine default folders, or those of its "upload.cfg"): a run
// elsewhere would make them all, empty, and load nothing. Empty when it
// does, else what was looked for.
std::string missing_folders(const std::string& top) {
    constexpr UploadSetting folders[] = {PGM_DIR, TRN_DIR, APT_DIR, OBS_DIR, OVL_DIR,
                                         PRM_DIR, HAS_DIR, NGM_DIR, FDR_DIR};
    upload_settings_clear();
    read_upload_config(top);
    apply_upload_defaults(top, DiskAccess::read_only);
    std::string looked_for;
    bool found = false;
    for (UploadSetting folder : folders) {
        found = found || folder_exists(upload_setting(folder));
        looked_for += "\n  " + upload_setting(folder);
    }
    upload_settings_reset();
    return found ? std::string() : looked_for;
}

std::optional<CatalogueKind> offered_catalogue(LoaderFunction f) {
    if (f == LF_HASS_CONFIG) return CAT_HASS;
    if (f == LF_NO_GAMMA_CONFIG) return CAT_NO_GAMMA;
    return catalogue_of_function(f);
}
}  // namespace

int run_batch(const BatchOptions& options, std::FILE* lines, std::ostream& json_out, int (*program)(void (*)())) {
    batch_output_start(lines, stream_is_terminal(lines));
    batch_outcome_reset();
    g_status.screen_echo = echo_status;
    g_link.only_port = options.port;
    batch_policy_start(options);
    run_record_judge(batch_judgement);
    program(pages_guarded<run_page_loop_once>);
    run_record_judge(nullptr);
    batch_policy_stop();
    g_status.screen_echo = nullptr;
    if (end_request() != 0) batch_outcome_fail("Cancelled");
    batch_output_final(batch_final_message());
    // A unit left with its flight functions stopped is the last thing said.
    if (!farewell_warning().empty()) batch_output_final(farewell_warning());
    if (options.json) write_batch_json(options.function, batch_files(options.function), json_out);
    if (batch_outcome().usage_error) return 2;
    return batch_succeeded() ? 0 : 1;
}

void list_candidates(const BatchOptions& options, std::ostream& out) {
    batch_policy_start(options);
    catalogue_read_only_entry(std::filesystem::current_path().string());
    batch_policy_stop();
    for (const BatchFunctionName& n : batch_function_names()) {
        out << n.name << ": ";
        const auto kind = offered_catalogue(n.function);
        if (!kind)
            out << "(no file)";
        else if (n.function == LF_READ_CONFIG)
            out << "(a file named after the unit)";
        else if (!catalogue_found(*kind))
            out << "(none found)";
        else
            out << catalogue_display(*kind);
        out << "\n";
    }
}

namespace {
int run_command_line(std::span<const std::string_view> args) {
    const ParsedCommandLine parsed = parse_batch_command_line(args);
    if (!parsed.options) return usage_error(parsed.error);
    const BatchOptions& options = *parsed.options;
    if (options.command == BatchCommand::wizard) return run_uploader(pages_guarded<run_page_loop>);
    if (options.command == BatchCommand::help) {
        std::cout << batch_usage();
        return 0;
    }
    if (!options.top.empty()) {
        std::error_code ec;
        std::filesystem::current_path(options.top, ec);
        if (ec) return usage_error("cannot use '" + options.top + "' as the top-level directory: " + ec.message());
    }
    if (options.command == BatchCommand::list) {
        list_candidates(options, std::cout);
        return 0;
    }
    if (options.command == BatchCommand::status) {
        const std::string top = options.top.empty() ? std::string() : std::filesystem::current_path().string();
        return run_status(top, options.port, options.json, std::cout, std::cerr);
    }
    const std::string top = std::filesystem::current_path().string();
    if (options.command == BatchCommand::history) return print_history(options, top, std::cout, std::cerr);
    if (const std::string missing = missing_folders(top); !missing.empty())
        return usage_error("'" + top + "' is not a top-level directory: it holds none of these folders:" + missing);
    // With --json standard output carries the object alone.
    return run_batch(options, options.json ? stderr : stdout, std::cout);
}
}  // namespace

int run_from_command_line(std::span<const std::string_view> args) {
    // What escapes the guarded pages came after the exit sequence or before
    // any unit was touched: the program ends as failed, with the fault's text.
    try {
        return run_command_line(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "htaws-uploader: internal fault: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "htaws-uploader: internal fault\n");
    }
    return 1;
}
