#include "app/batch/batch_outcome.h"

#include "app/startup.h"
#include "output/status.h"

namespace {
// The lines with which each family's procedure reports that its function
// completed; a failure after one (the unit's verdict) still fails the run.
constexpr std::string_view completion_lines[] = {
    "System software load complete",
    "Configuration read complete",
    "Configuration write complete",
    "Flight Data Recording file transfers complete",
    "Flight Data Recording erase operation complete.",
    "Load Block Test image complete",
};
// The loads close with this line after their own text of success, which is
// the run's completion.
constexpr std::string_view loads_closing_line = "** When finished loading all files";

BatchOutcome g_outcome;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    return text;
}

// A question's last line asks to try again; the run answered it No.
std::string_view without_question(std::string_view text) {
    const std::size_t last = text.rfind('\n');
    if (last != std::string_view::npos && text.substr(last + 1).starts_with("Try again"))
        return trimmed(text.substr(0, last));
    return text;
}
}  // namespace

void batch_outcome_reset() { g_outcome = BatchOutcome{}; }
const BatchOutcome& batch_outcome() { return g_outcome; }

void batch_outcome_status(std::string_view text) {
    const std::string_view line = trimmed(text);
    // The farewell to the unit is not what the run did.
    if (line.empty() || line == restarting_unit_line) return;
    if (line == loads_closing_line && !g_outcome.last_status.empty()) {
        g_outcome.completed = true;
        g_outcome.completion = g_outcome.last_status;
    }
    for (std::string_view completion : completion_lines)
        if (line == completion) {
            g_outcome.completed = true;
            g_outcome.completion = line;
        }
    g_outcome.last_status = line;
}

void batch_outcome_fail(std::string_view text) {
    const std::string detail = take_failure_detail();
    if (g_outcome.failed) return;
    g_outcome.failed = true;
    g_outcome.message = without_question(trimmed(text));
    if (!detail.empty()) g_outcome.message += "\n" + detail;
}

void batch_outcome_usage_error(std::string_view text) {
    if (!g_outcome.failed) g_outcome.usage_error = true;
    batch_outcome_fail(text);
}

bool batch_succeeded() { return g_outcome.completed && !g_outcome.failed; }

std::string batch_final_message() {
    if (g_outcome.failed) return g_outcome.message;
    if (g_outcome.completed) return g_outcome.completion;
    return g_outcome.last_status.empty() ? "The function did not complete." : g_outcome.last_status;
}
