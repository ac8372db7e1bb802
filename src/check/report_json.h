#pragma once
// The report as one JSON object: {"passed": bool, "kinds": [{"name", "title",
// "candidates", "offered", "passed", "checks": [{"candidate", "passed",
// "messages": [{"caption", "text"}]}]}]}.
#include <ostream>
#include <vector>

#include "check/report.h"

void write_json_report(const std::vector<KindResult>& kinds, std::ostream& out);
