#pragma once
// What `htaws-uploader status` found, as text for the technician or as one
// JSON object.
#include <ostream>
#include <string>
#include <vector>

#include "app/preflight/candidate_verdicts.h"
#include "app/preflight/unit_survey.h"

struct UnitStatus {
    SurveyedUnit unit;
    std::vector<KindVerdicts> kinds;  // with --top
};

struct StatusReport {
    std::vector<UnitStatus> units;
    bool succeeded = false;
    std::string message;  // the last line: what was read, or why not
};

// "read", "port busy", "no answer", "tables unreadable".
const char* reading_text(UnitReading reading);
// "airport major versions 1, 2; terrain 2; ..."
std::string accepts_text(const SurveyedUnit& unit);

void write_status_text(const StatusReport& report, std::ostream& out);
void write_status_json(const StatusReport& report, std::ostream& out);
