#include "app/configuration_flows.h"

#include <ctime>

#include "app/page_layouts.h"
#include "app/page_loop.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/report.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "setup/setup_model.h"
#include "setup/setup_page.h"
#include "unit/configuration.h"
#include "unit/identity.h"
#include "unit/model.h"
#include "loads/reply_questions.h"

namespace {
constexpr uint32_t pause_before_setup_ms = 3000;
constexpr uint32_t reply_wait_current_ms = 120000;
constexpr uint32_t reply_wait_earlier_ms = 5000;

void title(Page page, const char* text) { control_set_text(page, ID_OPERATION_TITLE, text); }

void back_to_setup_momentarily(Page page) {
    status_show("Returning to Setup dialog momentarily.\r\n");
    unit_close_port();
    wait_responsive(pause_before_setup_ms);
    page_end(page, RESULT_BACK);
}

uint32_t unit_serial(bool current) { return p_table_word(current ? P_UNIT_NUMBER : P_OBSTACLE_MASK); }
}  // namespace

int read_configuration_flow(Page page) {
    title(page, "Configuration Read");
    const int result = read_configuration(page, configuration_file_path());
    if (g_commands.abort_requested) {
        status_show("Configuration read aborted\r\n");
        page_end(page, RESULT_QUIT);
        unit_close_port();
        return 1;
    }
    if (result != 0) {
        unit_close_port();
        page_end(page, report_error("Problem reading configuration\nTry again?") ? RESULT_BACK : RESULT_QUIT);
        return 1;
    }
    title(page, "Configuration Read Complete");
    status_show("Configuration read complete\r\n");
    status_show("Returning to Setup dialog momentarily.\r\n");
    unit_close_port();
    derive_unit_names(detect_model(DETECT_FRESH));
    wait_responsive(pause_before_setup_ms);
    page_end(page, RESULT_BACK);
    return 0;
}

int write_configuration_flow(Page page) {
    const bool current = g_unit.unit_generation == current_generation;
    title(page, "Configuration Write");
    const ConfigurationWrite write{configuration_file_path(), current, detect_model(DETECT_REMEMBERED),
                                   unit_serial(current)};
    const int result = write_configuration(page, write);
    if (result != 0 || g_commands.abort_requested) {
        // A Cancel and a unit that stopped answering both stop the write;
        // either way the technician reads that it did not complete.
        title(page, "Configuration Write Aborted");
        status_show("Configuration write aborted\r\n");
    }
    if (g_commands.abort_requested) {
        unit_close_port();
        return 1;
    }
    if (result != 0) {
        if (current)
            back_to_setup_momentarily(page);
        else
            unit_close_port();
        return 1;
    }
    char reply[256];
    const int length = unit_read_line(reply, sizeof reply, current ? reply_wait_current_ms : reply_wait_earlier_ms);
    if (g_commands.abort_requested) {
        unit_close_port();
        return 1;
    }
    if (!reply_accepted(page, reply, length, "OK", "Unit replied with an error\nTry again?")) return 1;
    wait_responsive(2000);
    title(page, "Configuration Write Complete");
    status_show("Configuration write complete\r\n");
    if (current)
        back_to_setup_momentarily(page);
    else
        unit_close_port();
    return 0;
}
