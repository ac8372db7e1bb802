#pragma once
// Waiting on the page thread while the page stays alive: every wait of the
// link and of the procedures above it lets pending window messages run at
// least every window_slice_ms. A page handler run meanwhile may close the port
// or set abort_requested, so the waiter looks again after every yield.
#include <cstdint>

inline constexpr uint32_t window_slice_ms = 20;

// Waits `ms`, letting the pages run every window_slice_ms. Ends early, with
// false, when a page handler sets abort_requested during the wait (a flag set
// before the wait began leaves the wait as it is: its caller has seen it).
bool wait_responsive(uint32_t ms);

// The pacing of a polling loop that sleeps in short steps.
struct WindowPacing {
    uint64_t yielded_at;
    bool abort_at_start;
};
WindowPacing start_window_pacing();
// Lets the pages run once window_slice_ms has passed since the last time.
// False when a page handler set abort_requested since the loop began.
bool yield_when_due(WindowPacing& pacing);
