#pragma once
// Millisecond clock and sleep. The program links the system clock; tests link
// a virtual clock whose sleep advances time at once.
#include <cstdint>

// Milliseconds since an arbitrary start; never wraps in practice.
uint64_t now_ms();
void sleep_ms(uint32_t ms);
