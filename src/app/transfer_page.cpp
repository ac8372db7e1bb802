#include "app/transfer_page.h"

#include <optional>
#include <vector>

#include "app/page_layouts.h"
#include "app/page_loop.h"
#include "app/program_fault.h"
#include "app/status_box.h"
#include "app/transfer_routes.h"
#include "catalogue/system_file_reader.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "link/staging.h"
#include "loads/earlier_inputs.h"
#include "output/log.h"
#include "output/status_shown.h"
#include "platform/window.h"
#include "setup/setup_page.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
constexpr int first_tick_timer = 1;
constexpr uint32_t first_tick_ms = 1000;

struct TransferState {
    bool busy = false;
    // The result of a command that came while the procedure ran; the page
    // ends with it once the procedure has stopped, unless the procedure ended it.
    std::optional<int> pending_end;
};
TransferState g_transfer;
// The technician stopped a running procedure in this run.
bool g_procedure_cancelled = false;

uint32_t le32(std::span<const uint8_t> bytes, std::size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The earlier-generation software test; false (after telling the technician)
// when the loaded image does not suit the unit.
bool earlier_software_passes() {
    const std::vector<uint8_t>& image = system_image();
    if (image.size() < 252) return true;
    const uint32_t unit = le32(g_unit_tables.p_table.bytes, P_HARDWARE_ID);
    const uint32_t software = le32(image, P_HARDWARE_ID);
    if (software_suits_unit(software, unit, g_unit.unit_generation)) return true;
    status_show_failure_detail(
        formatted("Unit hardware identifier 0x%08X; the file's 0x%08X", unsigned(unit), unsigned(software)));
    message_box("Software to be loaded is not compatible with attached unit.\nCould not load this system software file",
                "Loader Version Error", BoxButtons::ok, BoxIcon::error);
    log_write("Could not load system software file");
    unit_close_port();
    // The unit is woken for the technician's next try; whether it answers
    // changes nothing here.
    static_cast<void>(connect_unit());
    status_show("Transfer aborted.\r\n");
    return false;
}

// An earlier-generation terrain load sends its data file once the header
// phase has completed; a failed phase leaves the function at its start.
int run_terrain_phases(Page page, TransferProcedure header_phase) {
    if (header_phase(page) != 0) {
        set_handed_function(LF_TERRAIN);
        return 1;
    }
    set_handed_function(LF_TERRAIN_DATA);
    unit_close_port();
    // A port that does not open fails the data phase's first write, which
    // reports it through the phase's own failure path.
    static_cast<void>(unit_open_port());
    const TransferRoute* data_phase = route_for(LF_TERRAIN_DATA, {});
    const int result = data_phase->procedure(page);
    if (result != 0) set_handed_function(LF_TERRAIN);
    return result;
}

int run_route(Page page, const TransferRoute* route) {
    switch (route->step) {
        case RouteStep::earlier_software:
            // The image is tested before it is sent, also when the setup page
            // took the current-generation way and did not read it.
            if (!earlier_load_can_start(page, LF_SYSTEM_SOFTWARE)) return 1;
            if (!earlier_software_passes()) {
                set_wait_cursor(false);
                return 0;
            }
            return route->procedure(page);
        case RouteStep::terrain_header: return run_terrain_phases(page, route->procedure);
        case RouteStep::run: break;
    }
    return route->procedure(page);
}

int run_function(Page page) {
    const UnitFacts unit{g_unit.unit_generation == current_generation, g_unit_tables.p_table.valid, g_link.port_found};
    const TransferRoute* route = route_for(handed_function(), unit);
    if (!route) return 0;
    // On the earlier-generation link the framed blocks, the mode command and
    // the baud texts go to the unit as they are written: the port is their
    // staging stream, so none of them is written into nothing.
    if (!unit.current_generation) staging_open_port();
    int result = 1;
    try {
        result = run_route(page, route);
    } catch (...) {
        // The procedure was stopped where it stood: the link is left closed
        // and the program ends through its exit sequence.
        unit_close_port();
        report_program_fault();
        page_end(page, RESULT_QUIT);
    }
    if (!unit.current_generation) staging_close();
    return result;
}

void first_tick(Page page) {
    page_kill_timer(page, first_tick_timer);
    status_attach(page, ID_STATUS_BOX);
    status_show("Communications ready\r\n");
    g_transfer.busy = true;
    const Cursor previous = set_cursor(Cursor::app_starting);
    const int result = run_function(page);
    g_transfer.busy = false;
    if (g_transfer.pending_end) page_end(page, *g_transfer.pending_end);
    set_cursor(previous);
    if (result != 0) set_wait_cursor(false);
}

// While a procedure runs, the page stays on screen until it has stopped (at
// its next look at abort_requested), saying at once that it is stopping.
// False when the page ended at once.
bool stop_and_end(Page page, int result) {
    const bool running = g_transfer.busy && !g_commands.abort_requested;
    g_commands.abort_requested = true;
    unit_close_port();
    if (!running) {
        page_end(page, result);
        return false;
    }
    g_procedure_cancelled = true;
    g_transfer.pending_end = result;
    status_show("Cancelling...\r\n");
    return true;
}

void transfer_handler(Page page, PageEvent event, int id) {
    switch (event) {
        case PageEvent::open:
            set_wait_cursor(false);
            g_commands.abort_requested = false;
            control_show(page, ID_TRANSFER_LINE, false);
            if (!unit_open_port()) {
                log_write("Could not open USB port");
                message_box("Could not open USB port", "Quitting", BoxButtons::ok, BoxIcon::error);
                page_end(page, RESULT_QUIT);
                return;
            }
            progress_set_range(page, ID_PROGRESS, 0, 1000);
            progress_set_position(page, ID_PROGRESS, 0);
            page_start_timer(page, first_tick_timer, first_tick_ms);
            break;
        case PageEvent::timer:
            if (id == first_tick_timer) first_tick(page);
            break;
        case PageEvent::command:
            if (id == CMD_OK || id == ID_NEXT) stop_and_end(page, RESULT_NEXT);
            if (id == CMD_CANCEL) stop_and_end(page, RESULT_QUIT);
            if (id == ID_BACK) {
                if (detect_model(DETECT_REMEMBERED) != "RK5200H") g_commands.abort_requested = true;
                unit_close_port();
                page_end(page, RESULT_BACK);
            }
            break;
        case PageEvent::close:
            // The status box stays with a page that is still stopping its procedure.
            if (!stop_and_end(page, RESULT_QUIT)) status_detach();
            break;
        case PageEvent::cursor:
            set_cursor(wait_cursor_set() ? Cursor::wait : g_transfer.busy ? Cursor::app_starting : Cursor::arrow);
            break;
        case PageEvent::click: break;
    }
}

}  // namespace

int refuse_download(Page page) {
    control_set_text(page, ID_OPERATION_TITLE, "NOT HTAWS Unit - NO DOWNLOAD");
    status_show("NOT HTAWS Unit - NO DOWNLOAD\r\n");
    unit_close_port();
    return 0;
}

bool software_suits_unit(uint32_t software, uint32_t unit, int generation) {
    if (software == unit) return true;
    if (software == 0xFF0F0034u && unit == 0xFFFFFFFFu && generation == 1) return true;
    return (software & 0xFFFF) == (unit & 0xFFFF) && ((unit >> 20) & 0xF) <= ((software >> 20) & 0xF);
}

bool procedure_cancelled() { return g_procedure_cancelled; }
void procedure_cancelled_reset() { g_procedure_cancelled = false; }

int DoTransfer() {
    log_write("... DoTransfer()");
    g_transfer = TransferState{};
    // Also when an exception unwinds through the page: nothing after may
    // reach a page that is gone.
    struct Leaving {
        ~Leaving() { status_detach(); }
    } leaving;
    return page_run(*app_page_layout(TRANSFER_PAGE), transfer_handler);
}
