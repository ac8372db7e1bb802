#pragma once
// The load checksum: reflected CRC-32 (polynomial 0xEDB88320) over a
// caller-owned register started at 0xFFFFFFFF. The final value is the
// arithmetic negation of the register (standard CRC-32 plus one); some
// formats store the raw register instead.
#include <cstddef>
#include <cstdint>

uint32_t crc_begin(uint32_t& reg);
void crc_add_byte(uint32_t& reg, uint8_t byte);
// Adds `count` bytes; a count of 0 or less adds nothing.
void crc_add_bytes(uint32_t& reg, const void* data, int32_t count);
uint32_t crc_end(uint32_t reg);

// The same update for runs longer than a signed 32-bit count.
void crc_add_span(uint32_t& reg, const void* data, std::size_t size);
