#include <cstdio>

#include "app/preflight/status_report.h"
#include "output/json_string.h"

namespace {
void write_strings(const std::vector<std::string>& texts, std::ostream& out) {
    out << "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i) out << ", ";
        write_json_string(texts[i], out);
    }
    out << "]";
}

void write_identity(const SurveyedUnit& unit, std::ostream& out) {
    char number[16];
    char id[16];
    std::snprintf(number, sizeof number, "%08x", unsigned(unit.unit_number));
    std::snprintf(id, sizeof id, "0x%08X", unsigned(unit.hardware_id));
    out << ", \"unit_number\": \"" << number << "\", \"hardware_id\": \"" << id
        << "\", \"generation\": " << unit.generation << ", \"model\": ";
    write_json_string(unit.model, out);
    out << ", \"accepts\": {";
    for (std::size_t i = 0; i < unit.accepts.size(); ++i) {
        out << (i ? ", " : "") << "\"" << unit.accepts[i].kind << "\": [";
        for (std::size_t v = 0; v < unit.accepts[i].versions.size(); ++v)
            out << (v ? ", " : "") << unit.accepts[i].versions[v];
        out << "]";
    }
    out << "}";
}

void write_kind(const KindVerdicts& kind, std::ostream& out) {
    out << "{\"kind\": \"" << kind.kind << "\", \"title\": ";
    write_json_string(kind.title, out);
    out << ", \"candidates\": [";
    for (std::size_t i = 0; i < kind.candidates.size(); ++i) {
        const CandidateVerdict& candidate = kind.candidates[i];
        out << (i ? ", " : "") << "{\"name\": ";
        write_json_string(candidate.name, out);
        out << ", \"verdict\": \"" << (candidate.compatible ? "compatible" : "incompatible") << "\", \"reasons\": ";
        write_strings(candidate.reasons, out);
        out << "}";
    }
    out << "]}";
}

void write_unit(const UnitStatus& status, std::ostream& out) {
    const SurveyedUnit& unit = status.unit;
    out << "{\"port\": ";
    write_json_string(unit.port, out);
    out << ", \"reading\": \"" << reading_text(unit.reading) << "\", \"tables\": {";
    for (std::size_t i = 0; i < unit.tables.size(); ++i)
        out << (i ? ", " : "") << "\"" << table_letters[i] << "\": " << (unit.tables[i] ? "true" : "false");
    out << "}";
    if (unit.identified) write_identity(unit, out);
    out << ", \"kinds\": [";
    for (std::size_t i = 0; i < status.kinds.size(); ++i) {
        if (i) out << ", ";
        write_kind(status.kinds[i], out);
    }
    out << "]}";
}
}  // namespace

void write_status_json(const StatusReport& report, std::ostream& out) {
    out << "{\"units\": [";
    for (std::size_t i = 0; i < report.units.size(); ++i) {
        if (i) out << ",\n  ";
        write_unit(report.units[i], out);
    }
    out << "],\n \"outcome\": \"" << (report.succeeded ? "read" : "failed") << "\", \"message\": ";
    write_json_string(report.message, out);
    out << "}\n";
}
