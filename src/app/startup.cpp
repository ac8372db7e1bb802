#include "app/startup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/page_loop.h"
#include "app/run_summary.h"
#include "app/splash.h"
#include "app/transfer_page.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "loads/file_body.h"
#include "output/log.h"
#include "output/status.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "platform/instance.h"
#include "platform/process.h"
#include "platform/window.h"
#include "setup/reset_mode_dialog.h"
#include "setup/setup_page.h"

namespace {
std::string current_directory() {
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string() : here.string();
}

// A request to end the program that comes while no page runs (the splash's
// look for the unit) stops the link work going on; the pages that follow are
// closed by the window system.
void stop_link_work() { g_commands.abort_requested = true; }

std::string g_farewell_warning;

// The farewell is a conversation of its own: a load abandoned on the last page
// left abort_requested set, and the unit stopped at start must still be
// started again, unless a reset restarts it. A port the system no longer lists
// (the cable was pulled) is not tried: twenty attempts on it would hold the
// program for a minute, and a unit plugged in meanwhile is not this one.
void say_goodbye_to_unit(bool family_unit_at_start) {
    g_commands.abort_requested = false;
    g_farewell_warning.clear();
    if (family_unit_at_start && !g_commands.reset_sent) {
        bool restarted = false;
        if (unit_port_listed()) {
            status_show(std::string(restarting_unit_line) + "\r\n");
            // A body stopped short (a Cancel) still holds the unit: every
            // wake-up byte would count as part of it.
            if (const uint32_t quiet = body_drop_wait_ms()) wait_responsive(quiet);
            body_drop_forget();
            restarted = connect_unit() && unit_send_command("STARTF\r");
            if (restarted) wait_responsive(300);
            unit_close_port();
        }
        if (!restarted) {
            g_farewell_warning = unit_not_restarted_text(g_link.port_name);
            log_write(g_farewell_warning);
            message_box(g_farewell_warning, unit_not_restarted_caption, BoxButtons::ok, BoxIcon::warning);
        }
    }
    unit_close_port();
}
}  // namespace

std::string date_text(std::time_t t) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm* local = std::localtime(&t);
    if (!local) return std::string(24, '?');
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", days[local->tm_wday % 7],
                  months[local->tm_mon % 12], local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec,
                  local->tm_year + 1900);
    return text;
}

void write_log_header(std::time_t started) {
    const std::string rule(73, '=');
    log_write("\r\n\r\n");
    log_write(rule);
    log_write(rule);
    log_write("The current date and time: " + date_text(started) + "\n");
}

void run_wizard(std::time_t started, void (*pages)()) {
    take_end_requests(stop_link_work);
    procedure_cancelled_reset();
    body_drop_forget();
    g_commands.reset_sent = false;
    write_log_header(started);
    setup_page_start(current_directory(), legal_text(), program_title());
    const SplashOutcome splash = DoSplash();
    report_system_identity();
    debug_output("This Version will handle USB\n");
    if (!splash.quit) pages();
    // The farewell runs to its end even when the program was asked to end; a
    // second Ctrl-C still ends it at once.
    take_end_requests(nullptr);
    say_goodbye_to_unit(splash.family_unit_at_start);
}

std::string unit_not_restarted_text(const std::string& port) {
    return "The unit on " + port +
           " was not restarted: its flight functions may still be stopped; connect it again, start the uploader "
           "and leave it (that restarts them), or use Reset HTAWS with FLT Mode.";
}

std::string_view farewell_warning() { return g_farewell_warning; }

int run_uploader(void (*pages)()) {
    if (!acquire_single_instance()) {
        message_box(
            "Another instance of the Veltra Uploader is already running.\nMultiple instances are not supported and "
            "are not permitted.\n\n\tThis program will now exit.",
            "ERROR: Multiple Program Instances Detected", BoxButtons::ok, BoxIcon::error);
        return 1;
    }
    temp_folder();
    const std::string log_path = log_file_path();
    log_open_path(log_path);
    const bool logged = log_is_open();
    summary_start();
    // A run from the command line prints its own lines and last line.
    const bool summarised = !g_status.screen_echo;
    if (summarised) g_status.screen_echo = summary_status;
    run_wizard(std::time(nullptr), pages);
    if (summarised) g_status.screen_echo = nullptr;
    log_close();
    release_single_instance();
    const int signal = end_request();
    // The mode the unit was told to restart in: only a reset that went out.
    if (summarised)
        show_after_pages(summary_text({log_path, logged, signal, g_commands.reset_sent ? reset_mode() : -1}) +
                         (farewell_warning().empty() ? "" : std::string(farewell_warning()) + "\n"));
    if (signal != 0) return 128 + signal;
    // A load the technician stopped did not do what was asked of the program.
    return procedure_cancelled() ? 1 : 0;
}
