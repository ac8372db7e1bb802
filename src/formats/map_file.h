#pragma once
// Map files (airport / navigation databases): 64-byte little-endian header,
// 256-byte info section, data section, 1028-byte trailer, padding and a raw
// checksum register over everything before it. The readers report their own
// failures (message box and log).
#include <cstdint>
#include <memory>
#include <string>

inline constexpr int map_header_size = 64;
inline constexpr int map_info_size = 256;
inline constexpr int map_trailer_size = 1028;
// Header, info, trailer and the final checksum: a file with no data and no padding.
inline constexpr int map_fixed_size = map_header_size + map_info_size + map_trailer_size + 4;

// Header field offsets (little-endian).
inline constexpr int map_format_offset = 12;
inline constexpr int map_data_length_offset = 24;
inline constexpr int map_file_length_offset = 28;
// Info section offsets (big-endian).
inline constexpr int map_version_offset = 132;
inline constexpr int map_info_data_length_offset = 244;
inline constexpr int map_info_data_crc_offset = 248;

// Checks the file and keeps its data section: returns N and sets `data` to
// N bytes owned by the caller, or returns -1.
int64_t read_map_file(const std::string& path, std::unique_ptr<uint8_t[]>& data);
// Checks the file reading the data section in pieces; N or -1.
int64_t verify_map_file(const std::string& path);

// What a successful check leaves for the loads.
struct MapFileState {
    uint8_t map_info[map_info_size] = {};  // info copy, N at 244 and data register at 248 (big-endian)
    uint32_t map_version = 0;              // V from info offset 132, host order
};
const MapFileState& map_file_state();
void map_file_reset();
