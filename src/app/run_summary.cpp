#include "app/run_summary.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/completion.h"
#include "catalogue/load_preparation.h"
#include "catalogue/upload_settings.h"
#include "setup/setup_layout.h"
#include "setup/setup_page.h"

namespace {
namespace fs = std::filesystem;

struct FileDone {
    std::string path;
    bool saved;
};

struct FunctionRun {
    LoaderFunction function;
    std::string last_line;
    std::vector<FileDone> files;
};

struct Summary {
    fs::file_time_type started{};
    std::string last_line;
    bool completed = false;  // the transfer's function completed
    std::string completion;  // the line that said so
    std::vector<FunctionRun> runs;
};
Summary g_summary;

// A file the run wrote, not one that was there before it.
bool written_this_run(const std::string& path) {
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    return !ec && written >= g_summary.started;
}

std::string label_of(LoaderFunction function) {
    const LoaderFunction shown = function == LF_TERRAIN_DATA ? LF_TERRAIN : function;
    for (const ControlDecl& c : setup_page_layout().controls)
        if (c.id == shown && c.kind == ControlKind::radio) return std::string(c.text);
    return function == LF_BLOCK_TEST ? "Block test" : "Function " + std::to_string(function);
}

// The recordings of this run in the recordings folder.
std::vector<FileDone> recordings() {
    std::vector<FileDone> files;
    std::error_code ec;
    for (fs::directory_iterator it(upload_setting(FDR_DIR), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("REC_") && name.ends_with(".dat") && written_this_run(it->path().string()))
            files.push_back({it->path().string(), true});
    }
    return files;
}

std::vector<FileDone> files_of(LoaderFunction function) {
    switch (function) {
        case LF_READ_CONFIG:
            return written_this_run(configuration_file_path()) ? std::vector<FileDone>{{configuration_file_path(), true}}
                                                               : std::vector<FileDone>{};
        case LF_WRITE_CONFIG:
        case LF_HASS_CONFIG:
        case LF_NO_GAMMA_CONFIG: return {{configuration_file_path(), false}};
        case LF_DOWNLOAD_RECORDING: return recordings();
        case LF_ERASE_RECORDING:
        case LF_BLOCK_TEST: return {};
        default: break;
    }
    std::vector<FileDone> files;
    const bool software = function == LF_SYSTEM_SOFTWARE || function == LF_OS_IMAGE || function == LF_BOOT_IMAGE;
    if (software && written_this_run(software_backup_path())) files.push_back({software_backup_path(), true});
    for (const std::string& path : prepared_files()) files.push_back({path, false});
    return files;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    return std::string(text);
}
}  // namespace

void summary_start() { g_summary = Summary{fs::file_time_type::clock::now(), {}, false, {}, {}}; }

// The note that the setup page comes back follows the function's own last line.
void summary_status(std::string_view text) {
    std::string line = trimmed(text);
    if (line.empty() || line.find("Setup dialog momentarily") != std::string::npos) return;
    std::string completion;
    if (marks_completion(line, g_summary.last_line, completion)) {
        g_summary.completed = true;
        g_summary.completion = std::move(completion);
    }
    g_summary.last_line = std::move(line);
}

void summary_transfer_begins() {
    g_summary.last_line.clear();
    g_summary.completed = false;
}

const std::string& summary_final_line() {
    return g_summary.completed && g_summary.last_line != g_summary.completion && g_summary.last_line.starts_with("** ")
               ? g_summary.completion
               : g_summary.last_line;
}
bool summary_completed() { return g_summary.completed; }

void summary_transfer_ended(LoaderFunction function) {
    g_summary.runs.push_back({function, g_summary.last_line, files_of(function)});
}

std::string summary_text(const SummaryEnding& ending) {
    static const char* const modes[] = {"FLT Mode", "MNX Mode", "FCT Mode"};
    std::string text = "HTAWS uploader: what this run did\n";
    if (g_summary.runs.empty()) text += "  No function was run on the unit.\n";
    for (const FunctionRun& run : g_summary.runs) {
        text += "  " + label_of(run.function) + ": " +
                (run.last_line.empty() ? std::string("nothing was shown") : run.last_line) + "\n";
        for (const FileDone& f : run.files) text += std::string(f.saved ? "    saved  " : "    loaded ") + f.path + "\n";
    }
    if (ending.reset_mode >= 0 && ending.reset_mode <= 2)
        text += std::string("The unit was told to restart in ") + modes[ending.reset_mode] + ".\n";
    if (ending.end_signal != 0) text += "The program was asked to end (signal " + std::to_string(ending.end_signal) + ").\n";
    text += ending.log_opened ? "Log: " + ending.log_path + "\n"
                              : "Log: none (" + ending.log_path + " could not be opened)\n";
    return text;
}
