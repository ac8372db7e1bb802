#pragma once
// Millisecond clock and sleep. The program links the system clock; tests link
// a virtual clock whose sleep advances time at once.
#include <cstdint>
#include <ctime>

// Milliseconds since an arbitrary start; never wraps in practice.
uint64_t now_ms();
void sleep_ms(uint32_t ms);
// Seconds since 1 January 1970, for the names of files the program makes.
std::time_t calendar_seconds();
