#pragma once
// The report as text for a reader.
#include <ostream>
#include <vector>

#include "check/report.h"

void write_text_report(const std::vector<KindResult>& kinds, std::ostream& out);
