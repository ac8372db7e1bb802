#pragma once
// Terrain files: an info file and a data file sharing one 256-byte header.
// Current-generation checksums are final values, earlier-generation ones raw
// registers.
#include <cstdint>
#include <string>

inline constexpr int terrain_header_size = 256;

// The shared terrain header with its fields converted to host order
// (t_header_crc stays as stored); filled by the readers.
struct TerrainHeader {
    uint8_t raw[terrain_header_size];  // bytes as read from the last file checked
    uint32_t t_version;                // offset 0
    uint32_t word4;                    // offset 4
    uint32_t word8;                    // offset 8
    uint32_t word44;                   // offset 44
    uint32_t word80;                   // offset 80
    uint32_t t_data_length;            // offset 236
    uint32_t t_info_length;            // offset 240
    uint32_t t_data_crc;               // offset 244
    uint32_t t_info_crc;               // offset 248
    uint32_t t_header_crc;             // offset 252, as stored (big-endian value)
};
extern TerrainHeader g_terrain_header;
// Set when the terrain data file last checked is larger than 4 GiB.
extern bool g_terrain_big_file;

enum class TerrainPhase { header, data };

int read_terrain_info(const std::string& path);
int read_terrain_data(const std::string& path);
int read_terrain_file_serial(const std::string& path, TerrainPhase phase);
void terrain_file_reset();
