#pragma once
// The program from start to exit: single instance, log, splash, wizard, and
// the farewell to a served unit.
#include <ctime>
#include <string>
#include <string_view>

#include "app/page_loop.h"

// The whole program around its pages (the wizard's page loop, or a run from
// the command line); returns the exit status (1 when another copy runs or the
// technician stopped a running load, 128 and the signal's number when a
// signal asked it to end).
int run_uploader(void (*pages)() = run_page_loop);
// The wizard between an open log and its closing: header, splash, pages,
// and the exit sequence with the link.
void run_wizard(std::time_t started, void (*pages)() = run_page_loop);
// After run_wizard: why the unit stopped at start could not be started again
// (its flight functions may still be stopped); empty when it was, or when it
// needed nothing.
std::string_view farewell_warning();
// That text for the unit on `port`, and the caption of its box.
std::string unit_not_restarted_text(const std::string& port);
inline constexpr const char* unit_not_restarted_caption = "Unit Not Restarted";
// The status line of the farewell while it tries to reach the unit.
inline constexpr std::string_view restarting_unit_line = "Restarting the unit's flight functions...";
// The header that begins every run's part of the log.
void write_log_header(std::time_t started);
// The standard 24-character local date text, as "Wed Jun 30 21:49:08 1993".
std::string date_text(std::time_t t);
