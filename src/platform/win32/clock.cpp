#include <windows.h>

#include "platform/clock.h"

uint64_t now_ms() { return GetTickCount64(); }

void sleep_ms(uint32_t ms) { Sleep(ms); }

std::time_t calendar_seconds() { return std::time(nullptr); }
