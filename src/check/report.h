#pragma once
// What a run of the checker found, kind by kind, for the text and JSON reports.
#include <string>
#include <vector>

#include "platform/report_lines/report_lines.h"

struct CandidateResult {
    std::string candidate;  // empty when the kind has none
    bool passed = false;
    // The message boxes the uploader would have shown, in order.
    std::vector<ReportedBox> messages;
};

struct KindResult {
    std::string name;
    std::string title;
    std::vector<std::string> candidates;  // newest first
    int offered = -1;
    std::vector<CandidateResult> checks;
};

bool kind_passed(const KindResult& kind);
bool report_passed(const std::vector<KindResult>& kinds);
