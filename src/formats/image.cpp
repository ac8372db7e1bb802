#include "formats/image.h"

#include <cstring>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"
#include "platform/files.h"

namespace {

struct OpenImage {
    FilePtr file;
    uint8_t load_image_header[load_image_header_size] = {};
    bool header_valid = false;
    bool payload_checked = false;
};
OpenImage g_image;

uint32_t header_field(int field) { return get_be32(g_image.load_image_header + field); }

constexpr int embedded_text_size = 10;  // "0x" and 8 hexadecimal digits
constexpr uint64_t elf_page = 4096;
constexpr int elf_header_size = 52;
constexpr int elf_section_entry_size = 40;

// The payload offset where the checked region ends: the file offset of the
// first writable section, rounded up to a page. 0 when the payload is not an
// ELF file this can read or has no writable section.
uint64_t checked_region_end(std::FILE* f) {
    uint8_t eh[elf_header_size];
    if (!file_seek(f, load_image_header_size) || !read_exact(f, eh, sizeof eh)) return 0;
    if (std::memcmp(eh, "\x7F" "ELF", 4) != 0) return 0;
    if ((eh[4] != 1 && eh[4] != 2) || (eh[5] != 1 && eh[5] != 2) || eh[6] != 1) return 0;
    const bool big = eh[5] == 2;
    auto u32 = [big](const uint8_t* p) { return big ? get_be32(p) : get_le32(p); };
    const uint32_t table = u32(eh + 32);
    const uint16_t count = big ? get_be16(eh + 48) : get_le16(eh + 48);
    if (!file_seek(f, load_image_header_size + int64_t(table))) return 0;
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t entry[elf_section_entry_size];
        if (!read_exact(f, entry, sizeof entry)) return 0;
        if (u32(entry + 8) & 1u) return (uint64_t(u32(entry + 16)) + elf_page - 1) / elf_page * elf_page;
    }
    return 0;
}

bool parse_embedded_text(const char* text, uint32_t& value) {
    if (text[0] != '0' || text[1] != 'x') return false;
    value = 0;
    for (int i = 2; i < embedded_text_size; ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f') digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = uint32_t(c - 'A' + 10);
        else return false;
        value = (value << 4) | digit;
    }
    return true;
}

}  // namespace

bool image_open(const std::string& path, uint32_t expected_type) {
    image_reset();
    g_image.file = open_binary(path);
    std::FILE* f = g_image.file.get();
    if (!f) return false;
    if (!read_exact(f, g_image.load_image_header, load_image_header_size)) return false;
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, g_image.load_image_header, hdr_crc);
    if (crc_end(reg) != header_field(hdr_crc)) return false;
    if (header_field(hdr_format) != 1 || header_field(hdr_image_type) != expected_type)
        return false;
    g_image.header_valid = true;
    return true;
}

bool image_check_payload_crc() {
    if (!g_image.header_valid) return false;
    std::FILE* f = g_image.file.get();
    const int64_t size = file_size(f);
    const uint32_t length = header_field(hdr_payload_length);
    if (size < 0 || size - load_image_header_size != int64_t(length)) return false;
    uint32_t reg;
    crc_begin(reg);
    if (!file_seek(f, load_image_header_size) || !crc_read(f, length, reg)) return false;
    if (crc_end(reg) != header_field(hdr_payload_crc)) return false;
    g_image.payload_checked = true;
    return true;
}

bool image_is_release() { return g_image.header_valid && header_field(hdr_release) == release_marker; }

bool image_check_embedded_crc() {
    if (!g_image.header_valid) return false;
    const uint64_t at = header_field(hdr_embedded_crc_offset);
    if (at == no_embedded_crc) return false;
    std::FILE* f = g_image.file.get();
    const uint64_t end = checked_region_end(f);
    if (at >= end || at + embedded_text_size > end) return false;
    uint32_t reg;
    crc_begin(reg);
    char text[embedded_text_size];
    if (!file_seek(f, load_image_header_size) || !crc_read(f, at, reg) || !read_exact(f, text, sizeof text) ||
        !crc_read(f, end - at - embedded_text_size, reg))
        return false;
    // Images are built with the register itself in the text, not the final value.
    uint32_t stored;
    return parse_embedded_text(text, stored) && stored == reg;
}

const uint8_t* image_header() { return g_image.load_image_header; }

bool image_payload_checked() { return g_image.payload_checked; }

void image_reset() { g_image = OpenImage{}; }
