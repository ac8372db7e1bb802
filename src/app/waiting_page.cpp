#include "app/waiting_page.h"

#include <cstdio>
#include <string>

#include "app/page_layouts.h"
#include "app/page_loop.h"
#include "app/waiting_validation.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/log.h"
#include "platform/clock.h"
#include "platform/pages.h"
#include "platform/window.h"
#include "setup/setup_page.h"
#include "unit/identity.h"

namespace {
constexpr int first_tick_timer = 1;
constexpr int max_searches = 10;
constexpr int table_attempts = 3;

bool ask_retry(Page page, const char* text) {
    log_write(text);
    if (message_box(text, "Error", BoxButtons::retry_cancel, BoxIcon::error) == BOX_RETRY) return true;
    page_post_command(page, ID_BACK);
    g_commands.abort_requested = true;
    return false;
}

// The page stays open with nothing running: its text says why.
void say_unit_silent(Page page) {
    const std::string text = unit_silent_text();
    if (text.empty()) return;
    log_write(text);
    control_set_text(page, ID_WAITING_TEXT, "  " + text);
}

void first_tick(Page page) {
    page_kill_timer(page, first_tick_timer);
    int search_attempts = 0;
    bool found = false;
    while (!found && search_attempts < max_searches) {
        log_write("looking for USB...");
        found = locate_unit_port();
        if (found) {
            log_write("...USB Serial Gadget found");
            unit_close_port();
        } else {
            log_write("USB not found...");
            if (!ask_retry(page, "Could not find USB device\nPlease check connections")) return;
        }
        ++search_attempts;
    }
    if ((!found || !unit_open_port()) && !ask_retry(page, "Could not open USB port\nPlease check connections")) return;
    if (!connect_unit()) return say_unit_silent(page);
    if (!wait_responsive(150)) return;
    bool tables = false;
    for (int attempt = 0; attempt < table_attempts && !tables; ++attempt) tables = query_unit_tables();
    if (!tables) {
        const char* text = "Could not get configuration information from unit";
        message_box(text, "Loader Error", BoxButtons::ok, BoxIcon::error);
        log_write(text);
        unit_close_port();
        // The unit is woken for the technician's next try; whether it answers
        // changes nothing here.
        static_cast<void>(connect_unit());
        return;
    }
    read_hardware_id();
    unit_close_port();
    page_post_command(page, setup_adopt_unit() ? CMD_OK : ID_BACK);
}

void waiting_handler(Page page, PageEvent event, int id) {
    switch (event) {
        case PageEvent::open: {
            const LoaderFunction f = handed_function();
            if (f == LF_AIRPORT || f == LF_TERRAIN || f == LF_TERRAIN_DATA) {
                control_enable(page, ID_NEXT, false);
                control_enable(page, ID_FORCE_TEXT, false);
            }
            g_commands.abort_requested = false;
            page_start_timer(page, first_tick_timer, 1000);
            break;
        }
        case PageEvent::timer:
            if (id == first_tick_timer) first_tick(page);
            break;
        case PageEvent::command:
            if (id == CMD_OK || id == ID_NEXT) {
                unit_close_port();
                const int result = validate_unit(handed_function());
                if (result != RESULT_NEXT) g_commands.abort_requested = result == RESULT_QUIT || result == RESULT_SETUP;
                page_end(page, result);
            } else if (id == ID_BACK) {
                unit_close_port();
                page_end(page, RESULT_BACK);
            } else if (id == ID_EXIT) {
                unit_close_port();
                g_commands.abort_requested = true;
                page_end(page, RESULT_QUIT);
            }
            break;
        case PageEvent::close:
            unit_close_port();
            g_commands.abort_requested = true;
            page_end(page, RESULT_QUIT);
            break;
        case PageEvent::click:
        case PageEvent::cursor: break;
    }
}
}  // namespace

std::string unit_silent_text() {
    const int attempts = connect_unanswered_attempts();
    if (attempts == 0) return "";
    return "The unit on " + g_link.port_name + " did not answer after " + std::to_string(attempts) + " attempts.";
}

int DoWaiting() {
    log_write("... DoWaiting()");
    g_unit_tables.p_table.valid = false;
    g_unit.unit_number = 0;
    return page_run(*app_page_layout(WAITING_PAGE), waiting_handler);
}
