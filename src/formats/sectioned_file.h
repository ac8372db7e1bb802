#pragma once
// Sectioned database files (obstacle and overlay): a 256-byte big-endian
// header, an info section (format 3 or more), a data section. The readers
// return codes; callers turn them into messages.
#include <cstdint>
#include <string>

inline constexpr int db_header_size = 256;

// 1, or -1 open, -2 header read, -3 header checksum, -4 info read,
// -5 info checksum, -6 data read, -7 data checksum.
int read_obstacle_file(const std::string& path);
int read_overlay_file(const std::string& path);

struct SectionedFileState {
    uint8_t header[db_header_size] = {};  // converted fields in host order, db_header_crc as stored
    uint32_t version = 0;                 // V (db_version), host order
};
const SectionedFileState& obstacle_file_state();
const SectionedFileState& overlay_file_state();
void sectioned_file_reset();

// Header field offsets.
inline constexpr int db_format_offset = 0;
inline constexpr int db_version_offset = 140;
inline constexpr int db_info_length_offset = 236;
inline constexpr int db_info_crc_offset = 240;
inline constexpr int db_data_length_offset = 244;
inline constexpr int db_data_crc_offset = 248;
inline constexpr int db_header_crc_offset = 252;
