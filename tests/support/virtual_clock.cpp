#include "support/virtual_clock.h"

#include "platform/clock.h"

namespace {
struct VirtualClock {
    uint64_t now = 0;
    std::function<void(uint64_t)> on_sleep;
};
VirtualClock g_clock;
}  // namespace

void virtual_clock_reset(uint64_t start_ms) { g_clock = VirtualClock{start_ms, {}}; }

void virtual_clock_on_sleep(std::function<void(uint64_t)> hook) { g_clock.on_sleep = std::move(hook); }

uint64_t now_ms() { return g_clock.now; }

void sleep_ms(uint32_t ms) {
    g_clock.now += ms;
    if (g_clock.on_sleep) g_clock.on_sleep(g_clock.now);
}
