#include "formats/map_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"
#include "output/log.h"
#include "platform/files.h"
#include "platform/window.h"

namespace {

MapFileState g_map;

constexpr std::size_t padding_piece = 256;

int64_t report(const std::string& text, const char* caption) {
    log_write(text);
    message_box(text, caption, BoxButtons::ok, BoxIcon::error);
    return -1;
}

std::string formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? std::size_t(size) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

// Steps 1 to 4 read the sections, 5 and 6 the padding, 7 the checksum.
int64_t report_read_error(std::FILE* f, const std::string& path, int step) {
    const int number = read_error_number(f, errno);
    return report(file_error_text(number, path, step, step > 4), step <= 4 || step == 7 ? "Read Error" : "Error");
}

// One checksum register runs over every byte of the file; a second one over
// the data section alone. `keep` receives the data section when given.
int64_t check_map_file(const std::string& path, std::unique_ptr<uint8_t[]>* keep) {
    FilePtr file = open_binary(path);
    if (!file) return -1;
    std::FILE* f = file.get();
    uint32_t reg;
    crc_begin(reg);
    auto add = [&reg](const uint8_t* p, std::size_t n) { crc_add_span(reg, p, n); };
    auto read_part = [&](uint8_t* out, std::size_t n) {
        if (!read_exact(f, out, n)) return false;
        add(out, n);
        return true;
    };

    uint8_t map_header[map_header_size];
    if (!read_part(map_header, sizeof map_header)) return report_read_error(f, path, 1);
    const uint32_t map_format = get_le32(map_header + map_format_offset);
    if (map_format != 1) return report(formatted("Map File Format Conflict %d", int(map_format)), "Error");

    uint8_t map_info[map_info_size];
    if (!read_part(map_info, sizeof map_info)) return report_read_error(f, path, 2);

    // A data length beyond the end of the file fails before anything is allocated.
    const uint32_t map_data_length = get_le32(map_header + map_data_length_offset);
    const int64_t left = file_bytes_left(f);
    if (left >= 0 && int64_t(map_data_length) > left) return report_read_error(f, path, 3);
    uint32_t data_reg;
    crc_begin(data_reg);
    std::unique_ptr<uint8_t[]> data;
    if (keep) {
        data.reset(new (std::nothrow) uint8_t[map_data_length]());
        if (!data) return report(formatted("Could not allocate %u bytes.", unsigned(map_data_length)), "Error");
        if (!read_part(data.get(), map_data_length)) return report_read_error(f, path, 3);
        crc_add_span(data_reg, data.get(), map_data_length);
    } else if (!read_pieces(f, map_data_length, file_piece_size, [&](const uint8_t* p, std::size_t k) {
                   add(p, k);
                   crc_add_span(data_reg, p, k);
               })) {
        return report_read_error(f, path, 3);
    }

    uint8_t map_trailer[map_trailer_size];
    if (!read_part(map_trailer, sizeof map_trailer)) return report_read_error(f, path, 4);

    // Wraps to a huge count when the file length field is too small; the
    // padding read then fails at the end of the file.
    const uint32_t map_file_length = get_le32(map_header + map_file_length_offset);
    const uint32_t padding = map_file_length - (map_data_length + uint32_t(map_fixed_size));
    const uint32_t last = padding == 0 ? 0 : (padding - 1) % padding_piece + 1;
    if (!read_pieces(f, padding - last, padding_piece, add)) return report_read_error(f, path, 5);
    if (!read_pieces(f, last, padding_piece, add)) return report_read_error(f, path, 6);

    uint8_t stored[4];
    if (!read_exact(f, stored, sizeof stored)) return report_read_error(f, path, 7);
    if (get_le32(stored) != reg) return report(formatted("CRC Error on File %s", path.c_str()), "Error");

    std::memcpy(g_map.map_info, map_info, sizeof map_info);
    put_be32(g_map.map_info + map_info_data_length_offset, map_data_length);
    put_be32(g_map.map_info + map_info_data_crc_offset, data_reg);
    g_map.map_version = get_be32(map_info + map_version_offset);
    if (keep) *keep = std::move(data);
    return map_data_length;
}

}  // namespace

int64_t read_map_file(const std::string& path, std::unique_ptr<uint8_t[]>& data) {
    return check_map_file(path, &data);
}

int64_t verify_map_file(const std::string& path) { return check_map_file(path, nullptr); }

const MapFileState& map_file_state() { return g_map; }

void map_file_reset() { g_map = MapFileState{}; }
