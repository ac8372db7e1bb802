#include <cstdio>

#include "app/preflight/status_report.h"

namespace {
// A box's text on one line.
std::string one_line(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool breaks = c == '\r' || c == '\n';
        if (!breaks)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

void write_identity(const SurveyedUnit& unit, std::ostream& out) {
    char text[160];
    std::snprintf(text, sizeof text, "  unit number %08x, hardware identifier 0x%08X, generation %d, model %s\n",
                  unsigned(unit.unit_number), unsigned(unit.hardware_id), unit.generation,
                  unit.model.empty() ? "(not the served model)" : unit.model.c_str());
    out << text;
}

void write_unit(const UnitStatus& status, std::ostream& out) {
    const SurveyedUnit& unit = status.unit;
    out << "Unit on " << unit.port << ": " << reading_text(unit.reading) << "\n";
    if (unit.reading == UnitReading::busy || unit.reading == UnitReading::silent) return;
    if (unit.identified) write_identity(unit, out);
    out << "  tables:";
    for (std::size_t i = 0; i < unit.tables.size(); ++i)
        out << (i ? ", " : " ") << table_letters[i] << (unit.tables[i] ? " valid" : " invalid");
    out << "\n";
    if (unit.identified) out << "  accepts " << accepts_text(unit) << "\n";
    for (const KindVerdicts& kind : status.kinds) {
        out << "  " << kind.title << (kind.candidates.empty() ? ": none found\n" : ":\n");
        for (const CandidateVerdict& candidate : kind.candidates) {
            out << "    " << candidate.name << ": " << (candidate.compatible ? "compatible" : "incompatible");
            for (std::size_t i = 0; i < candidate.reasons.size(); ++i)
                out << (i ? " " : ": ") << one_line(candidate.reasons[i]);
            out << "\n";
        }
    }
}
}  // namespace

const char* reading_text(UnitReading reading) {
    switch (reading) {
        case UnitReading::read: return "read";
        case UnitReading::busy: return "port busy";
        case UnitReading::silent: return "no answer";
        case UnitReading::tables_unreadable: return "tables unreadable";
    }
    return "";
}

std::string accepts_text(const SurveyedUnit& unit) {
    std::string text;
    for (const AcceptedVersions& kind : unit.accepts) {
        if (!text.empty()) text.append("; ");
        text.append(kind.kind);
        text.append(text.size() == kind.kind.size() ? " major versions " : " ");
        if (kind.versions.empty()) text.append("none");
        for (std::size_t i = 0; i < kind.versions.size(); ++i) {
            if (i) text.append(", ");
            text.append(std::to_string(kind.versions[i]));
        }
    }
    return text;
}

void write_status_text(const StatusReport& report, std::ostream& out) {
    for (const UnitStatus& unit : report.units) write_unit(unit, out);
    out << report.message << "\n";
}
