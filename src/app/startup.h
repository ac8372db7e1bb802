#pragma once
// The program from start to exit: single instance, log, splash, wizard, and
// the farewell to a served unit.
#include <ctime>
#include <string>

#include "app/page_loop.h"

// The whole program around its pages (the wizard's page loop, or a run from
// the command line); returns the exit status (1 when another copy runs, 128
// and the signal's number when a signal asked it to end).
int run_uploader(void (*pages)() = run_page_loop);
// The wizard between an open log and its closing: header, splash, pages,
// and the exit sequence with the link.
void run_wizard(std::time_t started, void (*pages)() = run_page_loop);
// The header that begins every run's part of the log.
void write_log_header(std::time_t started);
// The standard 24-character local date text, as "Wed Jun 30 21:49:08 1993".
std::string date_text(std::time_t t);
