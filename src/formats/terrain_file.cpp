#include "formats/terrain_file.h"

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"
#include "platform/files.h"

namespace {

struct TerrainFiles {
    TerrainHeader header;
    bool big_file = false;
};
TerrainFiles g_terrain;

constexpr int64_t big_file_size = int64_t(1) << 32;
constexpr std::size_t serial_piece_size = 1024;

struct Field {
    int offset;
    uint32_t TerrainHeader::*member;
};
// Every field but the header checksum; all of them must agree between the
// info file and the data file.
constexpr Field shared_fields[] = {
    {8, &TerrainHeader::word8},
    {44, &TerrainHeader::word44},
    {80, &TerrainHeader::word80},
    {t_version_offset, &TerrainHeader::t_version},
    {t_data_length_offset, &TerrainHeader::t_data_length},
    {t_info_length_offset, &TerrainHeader::t_info_length},
    {t_data_crc_offset, &TerrainHeader::t_data_crc},
    {t_info_crc_offset, &TerrainHeader::t_info_crc},
    {4, &TerrainHeader::word4},
};

TerrainHeader parse_header(const uint8_t* raw) {
    TerrainHeader h;
    for (const Field& field : shared_fields) h.*field.member = get_be32(raw + field.offset);
    h.t_header_crc = get_be32(raw + t_header_crc_offset);
    return h;
}

enum class CrcForm { final_value, raw_register };

uint32_t result(uint32_t reg, CrcForm form) { return form == CrcForm::final_value ? crc_end(reg) : reg; }

// Reads and checks the 256-byte header at the current position.
bool read_header(std::FILE* f, CrcForm form, TerrainHeader& out) {
    uint8_t raw[terrain_header_size];
    if (!read_exact(f, raw, sizeof raw)) return false;
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, raw, t_header_crc_offset);
    out = parse_header(raw);
    return result(reg, form) == out.t_header_crc;
}

// A header followed by a section of `length` bytes (taken from the header)
// with checksum `crc`; on success the header becomes g_terrain_header.
int read_header_and_section(const std::string& path, CrcForm form, std::size_t piece,
                            uint32_t TerrainHeader::*length, uint32_t TerrainHeader::*crc) {
    FilePtr file = open_binary(path);
    if (!file) return -1;
    TerrainHeader h;
    if (!read_header(file.get(), form, h)) return -1;
    uint32_t reg;
    crc_begin(reg);
    if (!crc_read(file.get(), h.*length, reg, piece) || result(reg, form) != h.*crc) return -1;
    g_terrain.header = h;
    return 1;
}

}  // namespace

const TerrainHeader& g_terrain_header = g_terrain.header;

bool terrain_big_file() { return g_terrain.big_file; }

int read_terrain_info(const std::string& path) {
    return read_header_and_section(path, CrcForm::final_value, file_piece_size, &TerrainHeader::t_info_length,
                                   &TerrainHeader::t_info_crc);
}

int read_terrain_data(const std::string& path) {
    FilePtr file = open_binary(path);
    if (!file) return -1;
    g_terrain.big_file = file_size(file.get()) > big_file_size;
    TerrainHeader h;
    if (!read_header(file.get(), CrcForm::final_value, h)) return -1;
    for (const Field& field : shared_fields)
        if (h.*field.member != g_terrain.header.*field.member) return -1;
    return 1;
}

int read_terrain_file_serial(const std::string& path, TerrainPhase phase) {
    if (phase == TerrainPhase::header)
        return read_header_and_section(path, CrcForm::raw_register, serial_piece_size,
                                       &TerrainHeader::t_info_length, &TerrainHeader::t_info_crc);
    return read_header_and_section(path, CrcForm::raw_register, serial_piece_size, &TerrainHeader::t_data_length,
                                   &TerrainHeader::t_data_crc);
}

void terrain_file_reset() { g_terrain = TerrainFiles{}; }
