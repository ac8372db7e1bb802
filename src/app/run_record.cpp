#include "app/run_record.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/function_names.h"
#include "app/run_summary.h"
#include "app/transfer_page.h"
#include "catalogue/catalogue.h"
#include "catalogue/load_preparation.h"
#include "catalogue/version_select.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/log.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/window.h"
#include "records/files_sent.h"
#include "records/history_file.h"
#include "records/record_time.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
struct RunStart {
    std::time_t at = 0;
    uint64_t at_ms = 0;
    unsigned resets_sent = 0;
};
RunStart g_start;
RunJudgement (*g_judge)() = nullptr;

RunJudgement wizard_judgement() { return {summary_completed(), summary_final_line()}; }

const char* outcome_of(const RunJudgement& judgement) {
    if (procedure_cancelled() || end_request() != 0) return "cancelled";
    return judgement.completed ? "completed" : "failed";
}

bool loads_files(LoaderFunction f) {
    return f == LF_SYSTEM_SOFTWARE || f == LF_OS_IMAGE || f == LF_BOOT_IMAGE || f == LF_TERRAIN ||
           f == LF_TERRAIN_DATA || f == LF_AIRPORT || f == LF_OBSTACLE || f == LF_OVERLAY;
}

// The files sent with their checksums, then the prepared files the load did
// not send (or sends without a checksum of its own).
std::vector<RecordedFile> files_of(LoaderFunction function) {
    std::vector<RecordedFile> files = files_sent();
    if (!loads_files(function)) return files;
    for (const std::string& path : prepared_files()) {
        if (std::any_of(files.begin(), files.end(), [&](const RecordedFile& f) { return f.path == path; })) continue;
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        files.push_back({path, ec ? 0 : uint64_t(size), std::nullopt});
    }
    return files;
}

std::string reset_mode_name() {
    static const char* const names[] = {"flt", "mnx", "fct"};
    const int mode = g_commands.last_reset_mode;
    if (g_commands.resets_sent == g_start.resets_sent || mode < 0 || mode > 2) return "none";
    return names[mode];
}

std::string top_directory() {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string() : here.string();
}
}  // namespace

void run_record_judge(RunJudgement (*judge)()) { g_judge = judge; }

void run_record_begins() {
    g_start = {std::time(nullptr), now_ms(), g_commands.resets_sent};
    files_sent_forget();
}

void run_record_ends(LoaderFunction function) {
    const RunJudgement judgement = g_judge ? g_judge() : wizard_judgement();
    LoadRecord record;
    record.utc = iso_utc(g_start.at);
    record.local = iso_local(g_start.at);
    record.uploader = version_text(VersionItem::product_version);
    record.port = g_link.port_name;
    if (const uint32_t number = unit_number_or_none(); number != unit_number_none) record.unit_number = number;
    if (g_unit_tables.p_table.valid) record.hardware_id = g_unit.unit_hardware_id;
    record.model = g_model.remembered_model;
    record.function = batch_function_name(function);
    if (const auto kind = catalogue_of_function(function); kind && loads_files(function))
        record.version = catalogue_display(*kind);
    record.files = files_of(function);
    record.reset_mode = reset_mode_name();
    record.outcome = outcome_of(judgement);
    record.message = judgement.message;
    record.duration_ms = now_ms() - g_start.at_ms;
    std::string error;
    const std::string top = top_directory();
    if (append_history_record(top, record, error)) return;
    status_show(formatted("The load history %s could not be written: %s\r\n", history_path(top).c_str(),
                          error.c_str()));
}
