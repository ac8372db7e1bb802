#include "formats/sectioned_file.h"

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"

namespace {

struct SectionedFiles {
    SectionedFileState obstacle;
    SectionedFileState overlay;
};
SectionedFiles g_sectioned;

constexpr int old_format_gap = db_old_format_prefix - db_header_size;

// A section of `length` bytes whose final checksum must be `crc`.
int check_section(std::FILE* f, uint32_t length, uint32_t crc, int read_failed, int crc_failed) {
    uint32_t reg;
    crc_begin(reg);
    if (!crc_read(f, length, reg)) return read_failed;
    return crc_end(reg) == crc ? DB_OK : crc_failed;
}

int read_sectioned_file(const std::string& path, SectionedFileState& out) {
    FilePtr file = open_binary(path);
    if (!file) return DB_OPEN_FAILED;
    std::FILE* f = file.get();
    uint8_t db_header[db_header_size];
    if (!read_exact(f, db_header, sizeof db_header)) return DB_HEADER_READ_FAILED;
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, db_header, db_header_crc_offset);
    const uint32_t db_header_crc = get_be32(db_header + db_header_crc_offset);
    if (crc_end(reg) != db_header_crc) return DB_HEADER_CRC_FAILED;

    SectionedFileState s;
    s.db_format = get_be32(db_header + db_format_offset);
    s.db_version = get_be32(db_header + db_version_offset);
    s.db_info_length = get_be32(db_header + db_info_length_offset);
    s.db_info_crc = get_be32(db_header + db_info_crc_offset);
    s.db_data_length = get_be32(db_header + db_data_length_offset);
    s.db_data_crc = get_be32(db_header + db_data_crc_offset);

    if (s.db_format >= 3) {
        const int rc = check_section(f, s.db_info_length, s.db_info_crc, DB_INFO_READ_FAILED, DB_INFO_CRC_FAILED);
        if (rc != DB_OK) return rc;
    }
    uint32_t data_length = s.db_data_length;
    if (s.db_format < 3) {
        uint8_t gap[old_format_gap];
        if (!read_exact(f, gap, sizeof gap)) return DB_DATA_READ_FAILED;
        // Wraps to a huge length when db_data_length is below 288; the read then fails.
        data_length -= db_old_format_prefix;
    }
    const int rc = check_section(f, data_length, s.db_data_crc, DB_DATA_READ_FAILED, DB_DATA_CRC_FAILED);
    if (rc != DB_OK) return rc;
    out = s;
    return DB_OK;
}

}  // namespace

int read_obstacle_file(const std::string& path) { return read_sectioned_file(path, g_sectioned.obstacle); }

int read_overlay_file(const std::string& path) { return read_sectioned_file(path, g_sectioned.overlay); }

const SectionedFileState& obstacle_file_state() { return g_sectioned.obstacle; }

const SectionedFileState& overlay_file_state() { return g_sectioned.overlay; }

void sectioned_file_reset() { g_sectioned = SectionedFiles{}; }
