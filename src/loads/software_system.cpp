#include "loads/software_system.h"

#include <cinttypes>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/load_preparation.h"
#include "catalogue/upload_settings.h"
#include "formats/byte_order.h"
#include "formats/image.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "loads/database_protocol.h"
#include "loads/file_body.h"
#include "loads/software_compatibility.h"
#include "loads/software_image_file.h"
#include "output/report.h"
#include "output/status_shown.h"
#include "platform/paths.h"
#include "setup/reset_mode_dialog.h"
#include "unit/identity.h"
#include "platform/page_result.h"
#include "records/files_sent.h"
#include "loads/reply_questions.h"

namespace {
constexpr uint32_t reply_limit_ms = 5000;
constexpr const char* unit_error_question = "Unit replied with an error.\nTry again?";

// What one image step says and does when it fails.
struct ImageStep {
    const char* title;
    const char* size_line;           // printf format of the payload length
    const char* open_failed;         // null: a missing file skips the step
    const char* header_failed;
    const char* setup_failed;        // null: back to the setup page without a question
    const char* transfer_failed;
    bool transfer_failure_ends_program;
};

const ImageStep app_step{
    .title = "System Software Load",
    .size_line = "System Software Load, %" PRIu64 " bytes\r\n",
    .open_failed = "Unable to open APP file for transmit.\nTry again?",
    .header_failed = "Unable to read APP file header segment.\nTry again?",
    .setup_failed = nullptr,
    .transfer_failed = "ERROR transmitting the data.\nTry again?",
    .transfer_failure_ends_program = false,
};
const ImageStep io_step{
    .title = "System IO Software Load",
    .size_line = "System IO Software Load, %" PRIu64 " bytes\r\n",
    .open_failed = "Unable to open IO file for transfer.\nTry again?",
    .header_failed = "Unable to read IO file header segment.\nTry again?",
    .setup_failed = "Error transmitting IO App header.\nTry again?",
    .transfer_failed = "ERROR transmitting data.\nTry again?",
    .transfer_failure_ends_program = false,
};
const ImageStep start_step{
    .title = "System Start Software Load",
    .size_line = "System Start Software Load, %" PRIu64 " bytes\r\n",
    .open_failed = "Unable to open START file for transfer.\nTry again?",
    .header_failed = "Unable to read START file header segment.\nTry again?",
    .setup_failed = "Failed to send START header block.\nTry again?",
    .transfer_failed = "ERROR transmitting data.",
    .transfer_failure_ends_program = true,
};
const ImageStep scrc32_step{
    .title = "SCRC32 Load",
    .size_line = "SCRC32 Load, %" PRIu64 " bytes\r\n",
    .open_failed = nullptr,
    .header_failed = "Unable to read scrc32 file header segment.\nTry again?",
    .setup_failed = nullptr,
    .transfer_failed = "ERROR transmitting the data.\nTry again?",
    .transfer_failure_ends_program = false,
};
const ImageStep update_execs_step{
    .title = "Update Execs Script Load",
    .size_line = "Update Execs Script Load, %" PRIu64 " bytes\r\n",
    .open_failed = "Unable to open UPDATE_EXECS file for transfer.\nTry again?",
    .header_failed = "Unable to read UPDATE_EXECS file header segment.\nTry again?",
    .setup_failed = "Problem writing update_execs header block to unit.\nTry again?",
    .transfer_failed = "ERROR transmitting data.\nTry again?",
    .transfer_failure_ends_program = false,
};
const ImageStep update_data_step{
    .title = "Update Data Script Load",
    .size_line = "Update Data Script Load, %" PRIu64 " bytes\r\n",
    .open_failed = "Unable to open UPDATE_DATA file for transfer.\nTry again?",
    .header_failed = "Unable to read UPDATE_DATA file header segment.\nTry again?",
    .setup_failed = "Error transmitting update data header info.\nTry again?",
    .transfer_failed = "ERROR transmitting data.\nTry again?",
    .transfer_failure_ends_program = false,
};

enum class StepEnd { sent, skipped, stopped };

struct LoadRun {
    Page page;
    TransferProgress progress;
    int result = 0;  // the load's result once a step stopped
};

StepEnd stop(LoadRun& run, int result) {
    run.result = result;
    return StepEnd::stopped;
}

StepEnd prompt(LoadRun& run, const char* text) { return stop(run, prompt_and_end(run.page, text)); }

// The technician's Cancel, found after a reply read or a size line.
bool cancelled(LoadRun& run) {
    if (!g_commands.abort_requested) return false;
    page_end(run.page, RESULT_QUIT);
    unit_close_port();
    run.result = 1;
    return true;
}

int read_reply(uint32_t settle_ms) {
    static_cast<void>(wait_responsive(settle_ms));
    return unit_read_line(g_commands.unit_reply.data(), g_commands.unit_reply.size(), reply_limit_ms);
}

// Before the application image: the image must suit the unit's hardware, and
// the unit's configuration is saved.
std::optional<StepEnd> application_checks(LoadRun& run, const LoadImageFile& image) {
    if (!software_suits_hardware(g_unit.unit_hardware_id, image.load_image_header.data())) {
        status_show_failure_detail(hardware_and_software_text(g_unit.unit_hardware_id, image.load_image_header.data()));
        return prompt(run, "Incompatible Versions.\nTry again?");
    }
    if (!database_configuration_saved(run.page, run.result)) return StepEnd::stopped;
    return std::nullopt;
}

StepEnd transfer_failed(LoadRun& run, const ImageStep& step) {
    unit_close_port();
    if (!step.transfer_failure_ends_program) return prompt(run, step.transfer_failed);
    static_cast<void>(report_error(step.transfer_failed));
    page_end(run.page, RESULT_QUIT);
    g_commands.abort_requested = true;
    return stop(run, 1);
}

// One image: its header as the control block, then its payload as the body,
// each answered "OK" by the unit.
StepEnd image_step(LoadRun& run, const ImageStep& step, const std::string& path, bool application) {
    LoadImageFile image;
    switch (open_load_image_file(path, image)) {
        case ImageFileOpen::not_opened:
            return step.open_failed ? prompt(run, step.open_failed) : StepEnd::skipped;
        case ImageFileOpen::header_short: return prompt(run, step.header_failed);
        case ImageFileOpen::opened: break;
    }
    const uint64_t length = image.payload_length();
    if (application)
        if (const auto end = application_checks(run, image)) return *end;
    note_file_sent(path, length, get_be32(&image.load_image_header[hdr_payload_crc]));
    const ModeOpening opening = enter_load_mode(LOAD_BINARY, image.load_image_header.data());
    if (opening.end == ModeEnd::not_answered) {
        ask_after_mode_command(run.page, opening);
        return stop(run, 0);
    }
    if (opening.end != ModeEnd::ready) {
        if (step.setup_failed) return prompt(run, step.setup_failed);
        page_end(run.page, RESULT_BACK);
        return stop(run, 0);
    }
    int got = read_reply(1000);
    if (cancelled(run)) return StepEnd::stopped;
    if (!reply_accepted(run.page, g_commands.unit_reply.data(), got, "OK", unit_error_question)) return stop(run, 0);
    status_show(formatted(step.size_line, length));
    show_operation_title(run.page, step.title);
    if (cancelled(run)) return StepEnd::stopped;
    // The body is the rest of the file, whatever the header says; a failed
    // write or a Cancel ends it early and the unit's reply below decides.
    const PassResult body = send_file_body(image.file.get(), length, run.progress);
    show_body_end(body, length, false);
    got = read_reply(2000);
    if (cancelled(run)) return StepEnd::stopped;
    if (!reply_accepted(run.page, g_commands.unit_reply.data(), got, "OK", unit_error_question)) return stop(run, 0);
    // The unit's error text during any piece of the body spoils the image.
    if (body.unit_error || body.end != PassEnd::done) return transfer_failed(run, step);
    return StepEnd::sent;
}

std::string scrc32_path(const std::string& version) {
    return path_join(upload_setting(PGM_DIR), "scrc32_" + version).value_or(std::string());
}

int reset_unit(LoadRun& run, int mode) {
    show_operation_title(run.page, "RESETTING HTAWS UNIT");
    static_cast<void>(wait_responsive(3000));
    if (!unit_send_reset(mode)) return -1;
    status_show("System software load complete\r\n");
    status_show("** RESETTING HTAWS UNIT NOW!!!\r\n");
    status_show("** APPLICATION WILL EXIT NOW!!!\r\n");
    static_cast<void>(wait_responsive(5000));
    page_end(run.page, RESULT_QUIT);
    unit_close_port();
    return 0;
}

int finish(LoadRun& run, bool scripts_sent) {
    if (scripts_sent) {
        show_operation_title(run.page, "Updating Update Scripts");
        // Without the command the unit keeps its old scripts: not a success.
        if (!unit_send_command("UP\r")) {
            unit_close_port();
            return prompt_and_end(run.page, "ERROR transmitting data.\nTry again?");
        }
        static_cast<void>(wait_responsive(2000));
    }
    show_operation_title(run.page, "System Software Load Complete");
    // A reset that could not be written leaves the technician to reset the
    // unit, as when none was chosen.
    if (reset_mode() != -1 && reset_unit(run, reset_mode()) == 0) return 0;
    status_show("System software load complete\r\n");
    status_show("** When finished loading all files\r\n");
    status_show("** Reset instrument to activate new system software\r\n");
    status_show("** Returning to Setup Dialog momentarily.");
    static_cast<void>(wait_responsive(3000));
    page_end(run.page, RESULT_BACK);
    unit_close_port();
    return 0;
}
}  // namespace

int load_system_software(Page page) {
    LoadRun run{page, TransferProgress{page}};
    control_show(page, ID_TRANSFER_LINE, true);
    const std::vector<std::string>& programs = prepared_files();
    if (!catalogue_ready(CAT_SYSTEM_SOFTWARE) || programs.size() != 3)
        return prompt_and_end(page, "No Loadable Program Image.\nTry again?");
    const std::string& version = catalogue_candidate(CAT_SYSTEM_SOFTWARE, catalogue_chosen(CAT_SYSTEM_SOFTWARE)).version;
    struct Planned {
        const ImageStep& step;
        std::string path;
        bool wanted;
    };
    const Planned plan[] = {
        {.step = app_step, .path = programs[0], .wanted = true},
        {.step = io_step, .path = programs[1], .wanted = true},
        {.step = start_step, .path = programs[2], .wanted = true},
        {.step = scrc32_step, .path = scrc32_path(version), .wanted = true},
        {.step = update_execs_step, .path = update_execs_path(), .wanted = update_execs_present()},
        {.step = update_data_step, .path = update_data_path(), .wanted = update_data_present()},
    };
    for (const Planned& p : plan)
        if (p.wanted && image_step(run, p.step, p.path, &p.step == &app_step) == StepEnd::stopped) return run.result;
    return finish(run, update_execs_present() || update_data_present());
}
