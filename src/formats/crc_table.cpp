// The portable update: slicing-by-16 over the byte table.
#include "formats/byte_order.h"
#include "formats/crc_paths.h"

namespace {

constexpr uint32_t polynomial = 0xEDB88320u;

constexpr std::array<std::array<uint32_t, 256>, 16> make_tables() {
    std::array<std::array<uint32_t, 256>, 16> t{};
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t r = b;
        for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ ((r & 1) ? polynomial : 0);
        t[0][b] = r;
    }
    for (std::size_t k = 1; k < t.size(); ++k)
        for (std::size_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    return t;
}

}  // namespace

constexpr std::array<std::array<uint32_t, 256>, 16> crc_tables = make_tables();

uint32_t crc_update_table(uint32_t reg, const unsigned char* data, std::size_t size) {
    const auto& t = crc_tables;
    for (; size >= 16; data += 16, size -= 16) {
        const uint32_t a = reg ^ get_le32(data);
        reg = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24];
        for (std::size_t k = 4; k < 16; ++k) reg ^= t[15 - k][data[k]];
    }
    for (; size > 0; --size) reg = (reg >> 8) ^ t[0][(reg ^ *data++) & 0xFF];
    return reg;
}
