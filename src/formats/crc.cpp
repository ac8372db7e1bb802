#include "formats/crc.h"

#include "formats/crc_paths.h"

namespace {

using crc_update_fn = uint32_t (*)(uint32_t, const unsigned char*, std::size_t);

crc_update_fn fastest_update() {
    if (crc_cpu_has_vpclmul()) return crc_update_vpclmul;
    if (crc_cpu_has_pclmul()) return crc_update_pclmul;
    return crc_update_table;
}

}  // namespace

uint32_t crc_begin(uint32_t& reg) {
    reg = 0xFFFFFFFFu;
    return reg;
}

void crc_add_byte(uint32_t& reg, uint8_t byte) { reg = (reg >> 8) ^ crc_tables[0][(reg ^ byte) & 0xFF]; }

void crc_add_bytes(uint32_t& reg, const void* data, int32_t count) {
    if (count > 0) crc_add_span(reg, data, static_cast<std::size_t>(count));
}

uint32_t crc_end(uint32_t reg) { return 0u - reg; }

void crc_add_span(uint32_t& reg, const void* data, std::size_t size) {
    static const crc_update_fn update = fastest_update();
    reg = update(reg, static_cast<const unsigned char*>(data), size);
}
