#pragma once
// The flash write that ends every earlier-generation load: the unit is told
// to write what it received ("W"), the page waits the mandated steps with the
// second progress bar, and the unit's "Begin" lines are noted until its
// verdict. A "Retry" from the unit repeats the write.
#include <cstdint>

#include "platform/pages.h"

struct FlashLimits {
    uint32_t line_ms;   // each line the unit sends must come within this
    // A unit that keeps sending progress lines is given up on this long after
    // the pass began reading them.
    uint32_t total_ms;
};
inline constexpr FlashLimits database_flash_limits{.line_ms = 600000, .total_ms = 30 * 60000};
inline constexpr FlashLimits software_flash_limits{.line_ms = 15000, .total_ms = 10 * 60000};

struct FlashWrite {
    int steps;                // T: 200 ms steps of the second bar (0: none)
    FlashLimits limits;
    const char* title;
    bool show_status;         // "Writing to flash" shown, or only logged
    bool baud_each_pass;      // the link speed is set before every "W"
    const char* question;     // asked when the verdict is not "OK"
};

enum class FlashEnd {
    written,    // the unit answered "OK"
    failed,     // the technician was asked and the page ended
    abandoned,  // abort_requested: the link is closed, the page ends by itself
};

// The flash wait steps of a generation-1 unit; any other generation waits none.
int flash_steps(int generation, int generation_one_steps);

FlashEnd write_flash(Page page, const FlashWrite& flash);
