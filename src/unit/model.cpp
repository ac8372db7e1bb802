#include "unit/model.h"

#include <cstdio>

#include "link/connection.h"
#include "link/discovery.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/log.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "unit/identity.h"

ModelState g_model;

void reset_model_state() { g_model = ModelState{}; }

namespace {
constexpr uint32_t tables_pause_ms = 150;

std::string hex8(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// An over-long path is refused in the log and left empty, never cut short.
std::string joined(std::string_view folder, const std::string& name) {
    if (auto path = path_join(folder, name)) return *path;
    log_write(path_too_long_message(std::string(folder) + path_separator + name));
    return {};
}
}  // namespace

std::string detect_model(int form) {
    if (form == DETECT_REMEMBERED) return g_model.remembered_model;
    g_model.remembered_model.clear();
    g_model.earlier_unit_answered = false;
    if (!locate_unit_port()) return {};
    if (connect_unit() && wait_responsive(tables_pause_ms) && query_unit_tables()) {
        read_hardware_id();
        if (g_unit.unit_generation == current_generation) g_model.remembered_model = served_model;
        else g_model.earlier_unit_answered = true;
    }
    unit_close_port();
    return g_model.remembered_model;
}

void derive_unit_number_names() {
    const std::string number = hex8(p_table_word(P_UNIT_NUMBER));
    g_model.parameter_files.default_backup_name = "Params_SN" + number + ".dat";
    g_model.parameter_files.serial_text = number;
}

void derive_parameter_file_names(std::string_view model, std::time_t now) {
    derive_unit_number_names();
    const std::string m(model);
    ParameterFileNames& names = g_model.parameter_files;
    names.hass_path = joined(g_model.start_directory, m + "_HASS_Config.dat");
    names.no_gamma_path = joined(g_model.start_directory, m + "_NOGAMMA.dat");
    names.temporary_path = joined(temp_folder(), m + "_Param_" + std::to_string(static_cast<long long>(now)) + ".dat");
}
