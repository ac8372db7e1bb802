#include "sim/sim_unit.h"

std::array<std::array<uint8_t, 256>, 4> SimConfig::default_other_tables() {
    std::array<std::array<uint8_t, 256>, 4> tables{};
    for (std::size_t t = 0; t < tables.size(); ++t)
        for (std::size_t i = 0; i < 256; ++i) tables[t][i] = uint8_t(i * (t + 3) + t);
    return tables;
}

std::vector<std::string> SimConfig::default_parameters() {
    return {
        "Audio Volume 0x00000005",
        "Display Brightness 0x00000040",
        "LCD dim min fac 0x00000010",
        "Aircraft Type 0x00000002",
        "Terrain Offset 0x00000000",
        "Warning_Mode-2 0x00000001",
        "Speed.Limit 0x000000C8",
    };
}
