#pragma once
// What a run of the wizard did, told on the normal screen when it ends (the
// full-screen pages leave nothing behind): each function run with the files it
// loaded or saved and the last line it showed, how the run ended and where the
// log is.
#include <string>
#include <string_view>

#include "catalogue/loader_function.h"

// A new run: no function run yet; files written from now on are this run's.
void summary_start();
// A status line shown on the screen.
void summary_status(std::string_view text);
// The transfer page is about to run the function handed to it.
void summary_transfer_begins();
void summary_transfer_ended(LoaderFunction function);
// The last line the transfer showed (the loads' closing line gives way to
// their text of success), and whether a line marked its function complete.
const std::string& summary_final_line();
bool summary_completed();

struct SummaryEnding {
    std::string log_path;
    bool log_opened = false;
    int end_signal = 0;   // the signal that asked the program to end, 0 for none
    int reset_mode = -1;  // the mode the unit was told to restart in, -1 for none
};
std::string summary_text(const SummaryEnding& ending);
