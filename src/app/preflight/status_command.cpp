#include "app/preflight/status_command.h"

#include "app/preflight/box_record.h"
#include "link/serial.h"

namespace {
std::string failure_text(const SurveyedUnit& unit) {
    std::string text;
    switch (unit.reading) {
        case UnitReading::read: break;
        case UnitReading::busy:
            text.append("The port ").append(unit.port);
            text.append(" did not open: another program holds it, or this user may not use it.");
            break;
        case UnitReading::silent:
            text.append("The unit on ").append(unit.port).append(" did not answer.");
            break;
        case UnitReading::tables_unreadable:
            text.append("The tables of the unit on ").append(unit.port).append(" could not be read.");
            break;
    }
    return text;
}

void conclude(StatusReport& report, const std::string& port) {
    if (report.units.empty()) {
        report.message = "No unit attached: no \"Gadget Serial\" port";
        if (!port.empty()) report.message.append(" named ").append(port);
        report.message.append(" was found.");
        return;
    }
    std::string failures;
    for (const UnitStatus& status : report.units) {
        const std::string failure = failure_text(status.unit);
        if (failure.empty()) continue;
        if (!failures.empty()) failures.append(" ");
        failures.append(failure);
    }
    report.succeeded = failures.empty();
    if (!report.succeeded) {
        report.message = failures;
        return;
    }
    const std::size_t count = report.units.size();
    report.message = std::to_string(count);
    report.message.append(count == 1 ? " unit read." : " units read.");
}
}  // namespace

StatusReport survey_attached_units(const std::string& top, const std::string& port) {
    StatusReport report;
    start_recording_boxes();
    for (const PortInfo& found : unit_ports(port)) {
        UnitStatus status{survey_unit(found), {}};
        if (!top.empty() && status.unit.reading == UnitReading::read)
            status.kinds = judge_candidates(top, status.unit.generation);
        report.units.push_back(std::move(status));
    }
    stop_recording_boxes();
    reset_link_state();
    conclude(report, port);
    return report;
}

int run_status(const std::string& top, const std::string& port, bool json, std::ostream& out, std::ostream& err) {
    const StatusReport report = survey_attached_units(top, port);
    if (json) {
        write_status_json(report, out);
        err << report.message << "\n";
    } else {
        write_status_text(report, out);
    }
    return report.succeeded ? 0 : 1;
}
