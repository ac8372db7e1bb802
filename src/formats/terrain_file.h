#pragma once
// Terrain files: an info file and a data file sharing one 256-byte big-endian
// header. Current-generation checksums are final values, earlier-generation
// ones raw registers.
#include <cstdint>
#include <string>

inline constexpr int terrain_header_size = 256;

// Header field offsets.
inline constexpr int t_version_offset = 0;
inline constexpr int t_data_length_offset = 236;
inline constexpr int t_info_length_offset = 240;
inline constexpr int t_data_crc_offset = 244;
inline constexpr int t_info_crc_offset = 248;
inline constexpr int t_header_crc_offset = 252;

// The terrain header's fields in host order.
struct TerrainHeader {
    uint32_t t_version = 0;  // V, offset 0
    uint32_t word4 = 0;      // offsets 4, 8, 44 and 80: not interpreted, must agree in both files
    uint32_t word8 = 0;
    uint32_t word44 = 0;
    uint32_t word80 = 0;
    uint32_t t_data_length = 0;
    uint32_t t_info_length = 0;
    uint32_t t_data_crc = 0;
    uint32_t t_info_crc = 0;
    uint32_t t_header_crc = 0;
};
// The header of the last terrain file checked successfully by
// read_terrain_info or read_terrain_file_serial.
extern const TerrainHeader& g_terrain_header;
// Set when the terrain data file last given to read_terrain_data is larger
// than 4 GiB.
bool terrain_big_file();

enum class TerrainPhase { header, data };

// Current generation: the info file (header and info section checksums).
int read_terrain_info(const std::string& path);
// Current generation: the data file's header must be valid and agree with
// g_terrain_header (call after read_terrain_info); the data is not read.
int read_terrain_data(const std::string& path);
// Earlier generation: the header file (phase header, info section) or the
// data file (phase data, data section), checksums as raw registers.
int read_terrain_file_serial(const std::string& path, TerrainPhase phase);
void terrain_file_reset();
