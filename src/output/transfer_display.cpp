#include "output/transfer_display.h"

#include <cinttypes>
#include <cstdio>

#include "platform/window.h"

namespace {
bool wait_cursor = false;
}  // namespace

void show_operation_title(Page page, std::string_view title) {
    control_set_text(page, ID_OPERATION_TITLE, title);
}

void set_wait_cursor(bool waiting) { wait_cursor = waiting; }

bool wait_cursor_set() { return wait_cursor; }

void TransferProgress::show(std::string_view words, uint64_t done, uint64_t total) {
    if (total == 0) return;
    const int permille = static_cast<int>(static_cast<double>(done) * 1000.0 / static_cast<double>(total));
    if (permille == last_shown) return;
    last_shown = permille;
    progress_set_position(page, ID_PROGRESS, permille);
    char line[128];
    std::snprintf(line, sizeof line, "%.*s %" PRIu64 " of %" PRIu64 " bytes", static_cast<int>(words.size()),
                  words.data(), done, total);
    control_set_text(page, ID_TRANSFER_LINE, line);
    yield_to_window();
}
