#pragma once
// `htaws-uploader status`: each attached unit (or the one on `port`) woken
// and its tables read, nothing else sent; with a top-level directory, every
// candidate judged for it as a load would judge it.
#include <ostream>
#include <string>

#include "app/preflight/status_report.h"

// Reads the units; `top` empty: no candidates are judged. The ports are
// closed when it returns.
StatusReport survey_attached_units(const std::string& top, const std::string& port);
// The report as text on `out`, or with `json` as one object on `out` and the
// last line on `err`. 0 when every unit found was read, else 1.
int run_status(const std::string& top, const std::string& port, bool json, std::ostream& out, std::ostream& err);
