#pragma once
// The virtual clock tests link instead of the system clock: sleeping advances
// it at once.
#include <cstdint>
#include <functional>

void virtual_clock_reset(uint64_t start_ms = 0);
// Called after every sleep with the new time (the in-process unit uses it).
void virtual_clock_on_sleep(std::function<void(uint64_t)> hook);
