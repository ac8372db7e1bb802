#include "setup/setup_model.h"

#include <ctime>

#include "catalogue/loader_function.h"
#include "catalogue/unit_names.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "setup/setup_layout.h"
#include "unit/model.h"

namespace {
// No model has this text, so the first detection always counts as a change.
constexpr const char* no_model_seen = "FFFFFFFFFFF";
std::string g_last_model_seen = no_model_seen;
}  // namespace

void adjust_setup_for_model(Page page, std::string_view model) {
    if (model.empty() && g_model.earlier_unit_answered) {
        // An earlier-generation unit has no model text, yet takes its airport
        // and terrain data over this link: those loads are its own.
        control_enable(page, LF_TERRAIN, true);
        control_enable(page, LF_AIRPORT, true);
    } else if (model.empty()) {
        control_enable(page, LF_TERRAIN, false);
        control_enable(page, LF_AIRPORT, false);
    } else if (model == served_model) {
        control_enable(page, LF_TERRAIN, true);
        control_enable(page, LF_AIRPORT, true);
        control_enable(page, LF_OBSTACLE, false);
        control_enable(page, ID_RESET_UNIT, true);
        control_show(page, ID_RESET_UNIT, true);
    }
}

namespace {
void hand_unit_names_to_catalogue() {
    const ParameterFileNames& names = g_model.parameter_files;
    set_unit_names({names.serial_text, names.default_backup_name});
}
}  // namespace

void derive_unit_names(std::string_view model) {
    derive_parameter_file_names(model, calendar_seconds());
    hand_unit_names_to_catalogue();
}

void adopt_unit_number() {
    derive_unit_number_names();
    hand_unit_names_to_catalogue();
}

bool identify_for_setup(Page page, const std::string& program_title) {
    unit_close_port();
    wait_responsive(500);
    const std::string model = detect_model(DETECT_FRESH);
    const std::string caption =
        program_title + (model.empty() ? "  --  NO INSTRUMENT DETECTED " : "  --  Setup for " + model);
    // An earlier-generation unit and no unit both have no model text, yet set
    // the page up differently.
    const std::string seen = g_model.earlier_unit_answered ? "(earlier generation)" : model;
    const bool changed = seen != g_last_model_seen;
    if (changed) {
        g_last_model_seen = seen;
        adjust_setup_for_model(page, model);
        derive_unit_names(model);
    } else if (!model.empty()) {
        adopt_unit_number();
    }
    page_set_title(page, caption);
    return changed;
}

void setup_model_reset() { g_last_model_seen = no_model_seen; }
