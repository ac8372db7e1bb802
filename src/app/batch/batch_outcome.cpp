#include "app/batch/batch_outcome.h"

#include "app/completion.h"
#include "app/startup.h"
#include "output/status.h"

namespace {
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
    if (marks_completion(line, g_outcome.last_status, g_outcome.completion)) g_outcome.completed = true;
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
