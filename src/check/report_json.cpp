#include "check/report_json.h"

#include <string_view>

#include "output/json_string.h"

namespace {
void write_check(const CandidateResult& check, std::ostream& out) {
    out << "{\"candidate\": ";
    write_json_string(check.candidate, out);
    out << ", \"passed\": " << (check.passed ? "true" : "false") << ", \"messages\": [";
    for (std::size_t i = 0; i < check.messages.size(); ++i) {
        out << (i ? ", " : "") << "{\"caption\": ";
        write_json_string(check.messages[i].caption, out);
        out << ", \"text\": ";
        write_json_string(check.messages[i].text, out);
        out << '}';
    }
    out << "]}";
}

void write_kind(const KindResult& kind, std::ostream& out) {
    out << "    {\"name\": ";
    write_json_string(kind.name, out);
    out << ", \"title\": ";
    write_json_string(kind.title, out);
    out << ",\n     \"candidates\": [";
    for (std::size_t i = 0; i < kind.candidates.size(); ++i) {
        out << (i ? ", " : "");
        write_json_string(kind.candidates[i], out);
    }
    out << "],\n     \"offered\": ";
    if (kind.offered >= 0)
        write_json_string(kind.candidates[kind.offered], out);
    else
        out << "null";
    out << ", \"passed\": " << (kind_passed(kind) ? "true" : "false") << ",\n     \"checks\": [";
    for (std::size_t i = 0; i < kind.checks.size(); ++i) {
        out << (i ? ",\n                " : "");
        write_check(kind.checks[i], out);
    }
    out << "]}";
}
}  // namespace

void write_json_report(const std::vector<KindResult>& kinds, std::ostream& out) {
    out << "{\"passed\": " << (report_passed(kinds) ? "true" : "false") << ",\n \"kinds\": [\n";
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        write_kind(kinds[i], out);
        out << (i + 1 < kinds.size() ? ",\n" : "\n");
    }
    out << " ]}\n";
}
