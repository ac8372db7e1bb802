#include "check/report.h"

#include <algorithm>

bool kind_passed(const KindResult& kind) {
    return !kind.checks.empty() &&
           std::all_of(kind.checks.begin(), kind.checks.end(), [](const CandidateResult& c) { return c.passed; });
}

bool report_passed(const std::vector<KindResult>& kinds) {
    return std::all_of(kinds.begin(), kinds.end(), kind_passed);
}
