#include <cstdio>
#include <string>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "sim/sim_state.h"

std::array<uint8_t, 256> sim_p_table(const SimConfig& config) {
    std::array<uint8_t, 256> t{};
    const SimPTable& p = config.p_table;
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = uint8_t(0xA0 ^ i);
    put_be32(&t[12], p.map_memory_start);
    put_be32(&t[28], p.relocation_base);
    put_be32(&t[40], p.map_memory_end);
    put_be32(&t[200], p.airport_mask);
    put_be32(&t[204], p.terrain_mask);
    put_be32(&t[208], config.generation == 4 ? p.obstacle_mask : p.unit_number);
    put_be32(&t[212], p.overlay_mask);
    put_be32(&t[224], p.airport_mask_earlier);
    put_be32(&t[228], p.terrain_mask_earlier);
    put_be32(&t[244], config.generation == 4 ? p.unit_number : 0);
    put_be32(&t[248], p.hardware_id);
    return t;
}

void sim_send_table(SimState& s, char letter) {
    static const std::string others = "TBNY";
    std::array<uint8_t, 256> table =
        letter == 'P' ? sim_p_table(s.config) : s.config.other_tables[others.find(letter)];
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, table.data(), int32_t(table.size()));
    if (s.config.faults.corrupt_table == letter) reg ^= 1;
    uint8_t check[4];
    put_be32(check, reg);

    // 16 bytes a line: 32 hexadecimal digits, the check on a line of its own.
    std::string text;
    auto add_line = [&text, &s](const uint8_t* bytes, std::size_t n) {
        char digits[3];
        for (std::size_t i = 0; i < n; ++i) {
            std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
            text += digits;
        }
        text += s.config.line_end;
    };
    for (std::size_t i = 0; i < table.size(); i += 16) add_line(&table[i], 16);
    add_line(check, 4);
    text += s.config.line_end;
    sim_send(s, std::vector<uint8_t>(text.begin(), text.end()), std::string("table ") + letter);
}
