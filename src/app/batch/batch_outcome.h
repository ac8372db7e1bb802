#pragma once
// How a run from the command line ended: completed when a procedure reported
// its function's completion and nothing failed; else the first failure's
// text is the run's message.
#include <string>
#include <string_view>

struct BatchOutcome {
    bool completed = false;
    bool failed = false;
    std::string message;      // the first failure's text
    std::string last_status;  // the last status line shown
    std::string completion;   // the completion line seen
};

void batch_outcome_reset();
const BatchOutcome& batch_outcome();
// A status line as the procedures show it; a completion line marks the run complete.
void batch_outcome_status(std::string_view text);
// A failure; the first one is the run's message.
void batch_outcome_fail(std::string_view text);
// Completed and nothing failed.
bool batch_succeeded();
// The text the run ends with: the failure's, else the last status line.
std::string batch_final_message();
