#pragma once
#include <cstddef>
#include <cstdint>

// The bytes the unit sends on the next opened port.
void fuzz_port_feed(const uint8_t* data, std::size_t size);

// Clears the link's state, feeds the unit's bytes and opens the port to them.
void fuzz_unit_connect(const uint8_t* data, std::size_t size);
