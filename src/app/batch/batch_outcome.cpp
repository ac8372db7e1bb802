#include "app/batch/batch_outcome.h"

namespace {
// The lines with which each family's procedure reports that its function
// completed; a failure after one (the unit's verdict) still fails the run.
constexpr std::string_view completion_lines[] = {
    "** When finished loading all files",
    "System software load complete",
    "Configuration read complete",
    "Configuration write complete",
    "Flight Data Recording file transfers complete",
    "Flight Data Recording erase operation complete.",
    "Load Block Test image complete",
};

BatchOutcome g_outcome;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    return text;
}
}  // namespace

void batch_outcome_reset() { g_outcome = BatchOutcome{}; }
const BatchOutcome& batch_outcome() { return g_outcome; }

void batch_outcome_status(std::string_view text) {
    const std::string_view line = trimmed(text);
    if (line.empty()) return;
    g_outcome.last_status = line;
    for (std::string_view completion : completion_lines)
        if (line == completion) {
            g_outcome.completed = true;
            g_outcome.completion = line;
        }
}

void batch_outcome_fail(std::string_view text) {
    if (g_outcome.failed) return;
    g_outcome.failed = true;
    g_outcome.message = trimmed(text);
}

bool batch_succeeded() { return g_outcome.completed && !g_outcome.failed; }

std::string batch_final_message() {
    if (g_outcome.failed) return g_outcome.message;
    if (g_outcome.completed) return g_outcome.completion;
    return g_outcome.last_status.empty() ? "The function did not complete." : g_outcome.last_status;
}
