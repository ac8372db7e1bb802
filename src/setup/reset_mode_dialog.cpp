#include "setup/reset_mode_dialog.h"

#include "platform/pages.h"
#include "setup/setup_layout.h"

namespace {
int g_reset_mode = -1;
}  // namespace

int choose_reset_mode(const PageLayout& dialog_layout) {
    g_reset_mode = -1;
    page_run(dialog_layout, [](Page dialog, PageEvent event, int id) {
        if (event == PageEvent::open) {
            control_show(dialog, ID_FACTORY_MODE, false);
            control_enable(dialog, ID_FACTORY_MODE, false);
            control_show(dialog, ID_FACTORY_MODE_TEXT, false);
        } else if (event == PageEvent::command) {
            if (id == ID_FLIGHT_MODE) g_reset_mode = 0;
            if (id == ID_MAINTENANCE_MODE) g_reset_mode = 1;
            if (id == ID_FACTORY_MODE) g_reset_mode = 2;
            if (id == ID_FLIGHT_MODE || id == ID_MAINTENANCE_MODE || id == ID_FACTORY_MODE || id == ID_RESET_CANCEL)
                page_end(dialog, id);
        } else if (event == PageEvent::close) {
            page_end(dialog, ID_RESET_CANCEL);
        }
    });
    return g_reset_mode;
}

int reset_mode() { return g_reset_mode; }

void reset_mode_reset() { g_reset_mode = -1; }
