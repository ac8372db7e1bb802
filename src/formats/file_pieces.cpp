#include "formats/file_pieces.h"

#include <algorithm>
#include <cerrno>

#include "formats/crc.h"
#include "platform/files.h"

namespace {
alignas(64) uint8_t g_piece_buffer[file_piece_size];
}  // namespace

FilePtr open_binary(const std::string& path) { return FilePtr(std::fopen(path.c_str(), "rb")); }

int read_error_number(std::FILE* f, int err) {
    if (!f || !std::ferror(f)) return 0;
    return err != 0 ? err : EIO;
}

std::string file_error_text(int number, const std::string& path, int step, bool parenthesised) {
    const std::string where = " on File " + path + " (" + std::to_string(step) + ")";
    if (number == 0) return "The file ends before its stated length" + where;
    const std::string n = std::to_string(number);
    return (parenthesised ? "(" + n + ") " : n + " -- ") + system_error_text(number) + where;
}

bool read_exact(std::FILE* f, void* out, std::size_t size) { return std::fread(out, 1, size, f) == size; }

int64_t file_bytes_left(std::FILE* f) {
    const int64_t size = file_size(f);
    const int64_t pos = file_tell(f);
    if (size < 0 || pos < 0) return -1;
    return std::max<int64_t>(size - pos, 0);
}

bool read_pieces(std::FILE* f, uint64_t length, std::size_t piece,
                 const std::function<void(const uint8_t*, std::size_t)>& use) {
    const int64_t left = file_bytes_left(f);
    if (left >= 0 && length > static_cast<uint64_t>(left)) return false;
    piece = std::clamp<std::size_t>(piece, 1, file_piece_size);
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(length, piece));
        if (!read_exact(f, g_piece_buffer, want)) return false;
        use(g_piece_buffer, want);
        length -= want;
    }
    return true;
}

bool crc_read(std::FILE* f, uint64_t length, uint32_t& reg, std::size_t piece) {
    return read_pieces(f, length, piece,
                       [&reg](const uint8_t* p, std::size_t n) { crc_add_span(reg, p, n); });
}
