#include "check/report_text.h"

namespace {
// A message keeps its line breaks, each further line indented under the first.
void write_message(const ReportedBox& box, std::ostream& out) {
    out << "      [" << box.caption << "] ";
    for (char c : box.text) {
        if (c == '\r') continue;
        out << c;
        if (c == '\n') out << "        ";
    }
    out << '\n';
}
}  // namespace

void write_text_report(const std::vector<KindResult>& kinds, std::ostream& out) {
    int failed = 0;
    for (const KindResult& kind : kinds) {
        out << kind.title << " (" << kind.name << ")\n";
        out << "  candidates, newest first:";
        if (kind.candidates.empty()) out << " none";
        out << '\n';
        for (const std::string& candidate : kind.candidates) out << "    " << candidate << '\n';
        out << "  offered: " << (kind.offered >= 0 ? kind.candidates[kind.offered] : std::string("none")) << '\n';
        for (const CandidateResult& check : kind.checks) {
            out << "    " << (check.passed ? "PASS" : "FAIL") << ' '
                << (check.candidate.empty() ? std::string("(no candidate)") : check.candidate) << '\n';
            for (const ReportedBox& box : check.messages) write_message(box, out);
        }
        if (!kind_passed(kind)) ++failed;
    }
    const std::string of = " of " + std::to_string(kinds.size()) + " kinds ";
    out << (failed == 0 ? std::to_string(kinds.size()) + of + "passed.\n" : std::to_string(failed) + of + "failed.\n");
}
