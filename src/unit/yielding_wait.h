#pragma once
// Waiting while the page stays alive: pending window events run meanwhile.
#include <cstdint>

void keep_yielding(uint32_t ms);
