#pragma once
// The transfer page's display of a running operation: its title, the transfer
// line and the progress bar, and the per-mille progress of a pass over a file.
#include <cstdint>
#include <string_view>

#include "platform/pages.h"

inline constexpr int ID_STATUS_BOX = 1012;
inline constexpr int ID_PROGRESS = 1016;
inline constexpr int ID_SECOND_PROGRESS = 1017;
inline constexpr int ID_TRANSFER_LINE = 1032;
inline constexpr int ID_OPERATION_TITLE = 1033;
// "< &Back", shared by the wizard pages.
inline constexpr int ID_BACK = 1000;

void show_operation_title(Page page, std::string_view title);

// Set by the earlier-generation procedures while they wait for the unit's
// flash write: the transfer page then shows the hourglass. Cleared by the page.
void set_wait_cursor(bool waiting);
bool wait_cursor_set();

// The progress of the passes of one load on its page. The value last shown is
// kept from one pass to the next, so a pass starting at the value where the
// previous one ended does not redraw it.
struct TransferProgress {
    Page page = nullptr;
    int last_shown = 0;

    // The per-mille value of done / total (truncated; a total of 0 shows
    // nothing). When it differs from the last one shown: the bar, the transfer
    // line "<words> <done> of <total> bytes", and the window runs once.
    void show(std::string_view words, uint64_t done, uint64_t total);
};
