#pragma once
#include <cstddef>
#include <cstdint>

// The bytes the unit sends on the next opened port.
void fuzz_port_feed(const uint8_t* data, std::size_t size);
