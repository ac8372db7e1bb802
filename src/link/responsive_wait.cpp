#include "link/responsive_wait.h"

#include <algorithm>

#include "link/commands.h"
#include "platform/clock.h"
#include "platform/window.h"

bool wait_responsive(uint32_t ms) {
    const bool abort_at_start = g_commands.abort_requested;
    const uint64_t until = now_ms() + ms;
    for (;;) {
        const uint64_t now = now_ms();
        if (now >= until) return true;
        sleep_ms(uint32_t(std::min<uint64_t>(until - now, window_slice_ms)));
        yield_to_window();
        if (g_commands.abort_requested && !abort_at_start) return false;
    }
}

WindowPacing start_window_pacing() { return {now_ms(), g_commands.abort_requested}; }

bool yield_when_due(WindowPacing& pacing) {
    if (now_ms() - pacing.yielded_at < window_slice_ms) return true;
    yield_to_window();
    pacing.yielded_at = now_ms();
    return !g_commands.abort_requested || pacing.abort_at_start;
}
