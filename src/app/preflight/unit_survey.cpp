#include "app/preflight/unit_survey.h"

#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "platform/serial.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
// As often as the waiting page asks before it gives up.
constexpr int table_attempts = 3;

void read_identity(SurveyedUnit& unit) {
    read_hardware_id();
    unit.identified = true;
    unit.hardware_id = g_unit.unit_hardware_id;
    unit.generation = g_unit.unit_generation;
    const bool current = unit.generation == current_generation;
    unit.model = current ? std::string(served_model) : std::string();
    unit.unit_number = p_table_word(current ? P_UNIT_NUMBER : P_OBSTACLE_MASK);
    for (const CompatibilityMask& rule : compatibility_masks(unit.generation))
        unit.accepts.push_back({rule.kind, accepted_versions(rule, p_table_word(rule.field))});
}
}  // namespace

std::vector<PortInfo> unit_ports(const std::string& only_port) {
    g_link.only_port = only_port;
    std::vector<PortInfo> ports;
    for (const PortInfo& port : list_serial_ports())
        if (is_unit_port(port)) ports.push_back(port);
    return ports;
}

SurveyedUnit survey_unit(const PortInfo& port) {
    SurveyedUnit unit;
    unit.port = port.device;
    // A port another program holds is left to it.
    SerialPort* probe = serial_open(port.device);
    if (!probe) {
        unit.reading = UnitReading::busy;
        return unit;
    }
    serial_close(probe);
    reset_unit_tables();
    reset_unit_identity();
    g_commands.abort_requested = false;
    g_link.port_name = port.device;
    g_link.port_found = true;
    if (connect_unit()) {
        bool all_valid = false;
        for (int attempt = 0; attempt < table_attempts && !all_valid; ++attempt)
            all_valid = query_unit_tables();
        const UnitTable* tables[] = {&g_unit_tables.p_table, &g_unit_tables.t_table, &g_unit_tables.b_table,
                                     &g_unit_tables.n_table, &g_unit_tables.y_table};
        for (std::size_t i = 0; i < unit.tables.size(); ++i) unit.tables[i] = tables[i]->valid;
        if (unit.tables[0]) read_identity(unit);
        unit.reading = all_valid ? UnitReading::read : UnitReading::tables_unreadable;
    }
    unit_close_port();
    g_link.port_found = false;
    g_commands.abort_requested = false;
    return unit;
}
