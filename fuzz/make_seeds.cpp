// Writes valid files of every kind, as fuzz seeds, into <folder>/<target>/.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "fuzz_input.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"

namespace fs = std::filesystem;

namespace {
void seed(const fs::path& folder, const std::string& target, int n, const std::string& file, uint8_t options) {
    fs::create_directories(folder / target);
    std::ofstream(folder / target / ("seed" + std::to_string(n)), std::ios::binary) << char(options) << file;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds <folder>\n";
        return 2;
    }
    const fs::path out = argv[1];
    seed(out, "map", 1, build_map_file({}), fuzz_seal);
    seed(out, "map", 2, build_map_file({.data = std::string(100, 'x'), .padding = 300}), fuzz_seal);
    seed(out, "sectioned", 1, build_sectioned_file({.info = "info", .data = std::string(50, 'o')}), fuzz_seal);
    seed(out, "sectioned", 2, build_sectioned_file({.format = 2, .data = std::string(50, 'o')}), fuzz_seal);
    const TerrainPair current = build_terrain_pair({.info = std::string(100, 'i'), .data = std::string(100, 'd')});
    seed(out, "terrain", 1, current.info_file, fuzz_seal);
    const TerrainPair earlier = build_terrain_pair(
        {.generation = TerrainGeneration::earlier, .info = std::string(100, 'i'), .data = std::string(100, 'd')});
    seed(out, "terrain", 2, earlier.data_file, fuzz_seal | 2);
    seed(out, "image", 1, build_load_image({.writable_offset = 0x200, .embedded_offset = 0x180}), fuzz_seal);
    seed(out, "image", 2,
         build_load_image({.elf_big_endian = true, .writable_offset = 0x1100, .embedded_offset = 0x200}), fuzz_seal);
    return 0;
}
