#pragma once
// How a run from the command line ended: completed when a procedure reported
// its function's completion and nothing failed; else the first failure's
// text is the run's message, followed by the line that told more of it (the
// unit's own words), so that the run ends with its most specific reason.
#include <string>
#include <string_view>

struct BatchOutcome {
    bool completed = false;
    bool failed = false;
    bool usage_error = false;  // the options asked for what cannot be done
    std::string message;       // the first failure's text
    std::string last_status;   // the last status line shown
    std::string completion;    // the procedure's text of completion
};

void batch_outcome_reset();
const BatchOutcome& batch_outcome();
// A status line as the procedures show it; a completion line marks the run complete.
void batch_outcome_status(std::string_view text);
// A failure; the first one is the run's message. A question's "Try again?"
// (answered No) is left out of it.
void batch_outcome_fail(std::string_view text);
// A failure of the options given (the run's exit status says so).
void batch_outcome_usage_error(std::string_view text);
// Completed and nothing failed.
bool batch_succeeded();
// The text the run ends with: the failure's, else the completion's, else the
// last status line.
std::string batch_final_message();
