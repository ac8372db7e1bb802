#pragma once
// The load history's record of each run of a loader function, from the wizard
// or the command line: its facts gathered where the transfer page ends, and
// appended to the top-level directory's history. A record that cannot be
// written is said in the status and the log.
#include <string>

#include "catalogue/loader_function.h"

struct RunJudgement {
    bool completed = false;  // else failed, or cancelled when the technician stopped it
    std::string message;     // the last thing the technician saw
};

// The transfer page is about to run its function.
void run_record_begins();
// The transfer page ended: the run's record is appended.
void run_record_ends(LoaderFunction function);
// How the run's end is judged: a run from the command line has its own
// judgement; nullptr (the wizard) judges from the lines the transfer showed.
void run_record_judge(RunJudgement (*judge)());
