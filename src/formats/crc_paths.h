#pragma once
// Internal to the load checksum: the interchangeable register updates behind
// crc_add_span, exposed so that tests and benchmarks can drive each one.
#include <array>
#include <cstddef>
#include <cstdint>

// crc_tables[k][b]: the register change for byte b followed by k zero bytes;
// crc_tables[0] is the byte-at-a-time table.
extern const std::array<std::array<uint32_t, 256>, 16> crc_tables;

// Each returns the register after adding `size` bytes; all give the same
// result for any length and alignment.
uint32_t crc_update_table(uint32_t reg, const unsigned char* data, std::size_t size);
uint32_t crc_update_pclmul(uint32_t reg, const unsigned char* data, std::size_t size);
uint32_t crc_update_vpclmul(uint32_t reg, const unsigned char* data, std::size_t size);

// Whether this CPU (and its operating system) can run each folding update.
bool crc_cpu_has_pclmul();
bool crc_cpu_has_vpclmul();
