#include "support/virtual_clock.h"

#include <random>

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

// Each test process has a calendar of its own, so that the files named by the
// time (the earlier unit's temporary parameter file in the shared temporary
// folder) of tests running side by side never meet.
std::time_t calendar_seconds() {
    static const std::time_t start = 1'700'000'000 + std::time_t(std::random_device{}() % 100'000'000u);
    return start + std::time_t(g_clock.now / 1000);
}

void sleep_ms(uint32_t ms) {
    g_clock.now += ms;
    if (g_clock.on_sleep) g_clock.on_sleep(g_clock.now);
}
