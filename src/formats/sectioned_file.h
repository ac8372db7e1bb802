#pragma once
// Sectioned database files (obstacle and overlay): a 256-byte big-endian
// header, an info section (format 3 or more), a data section. The readers
// return codes; callers turn them into messages.
#include <cstdint>
#include <string>

inline constexpr int db_header_size = 256;
// Format below 3: the header and 32 further bytes precede the data, and
// db_data_length counts them.
inline constexpr int db_old_format_prefix = 288;

// Header field offsets.
inline constexpr int db_format_offset = 0;
inline constexpr int db_version_offset = 140;
inline constexpr int db_info_length_offset = 236;
inline constexpr int db_info_crc_offset = 240;
inline constexpr int db_data_length_offset = 244;
inline constexpr int db_data_crc_offset = 248;
inline constexpr int db_header_crc_offset = 252;

enum DbResult : int {
    DB_OK = 1,
    DB_OPEN_FAILED = -1,
    DB_HEADER_READ_FAILED = -2,
    DB_HEADER_CRC_FAILED = -3,
    DB_INFO_READ_FAILED = -4,
    DB_INFO_CRC_FAILED = -5,
    DB_DATA_READ_FAILED = -6,
    DB_DATA_CRC_FAILED = -7,
};

// DB_OK or a failure code; a successful check fills the kind's state.
int read_obstacle_file(const std::string& path);
int read_overlay_file(const std::string& path);

// The header fields the loads use, in host order, from the last successful check.
struct SectionedFileState {
    uint32_t db_format = 0;
    uint32_t db_version = 0;  // V
    uint32_t db_info_length = 0;
    uint32_t db_info_crc = 0;
    uint32_t db_data_length = 0;  // as stored (format below 3: includes the 288-byte prefix)
    uint32_t db_data_crc = 0;
};
const SectionedFileState& obstacle_file_state();
const SectionedFileState& overlay_file_state();
void sectioned_file_reset();
