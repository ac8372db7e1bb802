// Makes a demo top-level directory: every folder the uploader looks in, valid
// sample files of every kind, and its upload.cfg. --terrain-data-bytes gives
// the current-generation terrain pair a data section of that size, for loads
// long enough to watch.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"

namespace {
namespace fs = std::filesystem;

constexpr const char* version = "1.07";
constexpr const char* parameters =
    "Audio Volume 0x00000005\n"
    "Display Brightness 0x00000040\n"
    "Aircraft Type 0x00000002\n"
    "Terrain Offset 0x00000000\n";

struct Folder {
    const char* key;
    const char* name;
};
constexpr Folder folders[] = {
    {"PGM_DIR", "System Files"},   {"TRN_DIR", "Terrain Files"},     {"APT_DIR", "Airport Files"},
    {"OBS_DIR", "Obstacle Files"}, {"OVL_DIR", "Overlay Files"},     {"PRM_DIR", "Parameter Files"},
    {"HAS_DIR", "HASS Files"},     {"NGM_DIR", "NOGAMMA Files"},     {"FDR_DIR", "Recording Files"},
};

bool g_ok = true;

void put(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "htaws-make-demo: cannot write %s\n", path.c_str());
        g_ok = false;
    }
}

std::string image(uint32_t type, bool elf, const std::string& id_text = LoadImageRecipe{}.id_text) {
    LoadImageRecipe recipe;
    recipe.type = type;
    recipe.id_text = id_text;
    recipe.version_text = version;
    recipe.elf = elf;
    return build_load_image(recipe);
}

// The board that tools/run-uploader's simulated unit reports runs this
// software identifier without the "A" variant mark.
constexpr const char* software_id = "0x3400";

void system_files(const fs::path& dir) {
    const std::string v = std::string(version) + ".hhf";
    for (const char* name : {"rk5200h_", "rk5200h_io_", "rk5200h_start_"})
        put(dir / (name + v), image(IMAGE_SYSTEM_PROGRAM, true, software_id));
    // The checksum list and both update scripts complete the system software set.
    for (const char* name : {"scrc32_", "update_execs_", "update_data_"})
        put(dir / (name + v), image(IMAGE_UPDATE_PAYLOAD, false, software_id));
    for (const char* name : {"uImage_", "foo_dtb_", "ubi_img_"}) put(dir / (name + v), image(IMAGE_OS, false));
    put(dir / ("u_boot_" + v), image(IMAGE_BOOT, false));
    put(dir / "system.hex", hex_text(build_system_image({})));
    // The block test's fixed test file, at the size the unit expects.
    put(dir / "two_meg.dat", filler_bytes(2097152, 7));
}

void databases(const fs::path& top, std::size_t terrain_data_bytes) {
    // Versions the simulated unit's default compatibility masks accept, so that
    // every current-generation load runs through in the demo.
    TerrainRecipe recipe{.version = 1};
    if (terrain_data_bytes > 0) recipe.data = filler_bytes(terrain_data_bytes, 5);
    const TerrainPair terrain = build_terrain_pair(recipe);
    put(top / "Terrain Files" / "61734-TDB-2024-00001_header.bin", terrain.info_file);
    put(top / "Terrain Files" / "61734-TDB-2024-00001_data.bin", terrain.data_file);
    // The earlier generation's pair: a header file beside the data file it is named after.
    const TerrainPair earlier = build_terrain_pair({.generation = TerrainGeneration::earlier});
    put(top / "Terrain Files" / "demo_theader.bin", earlier.info_file);
    put(top / "Terrain Files" / "demo_tdata.bin", earlier.data_file);
    // Its info section's offsets are built for address 0, so that an earlier
    // unit takes it (relocated) as well as a current one.
    put(top / "Airport Files" / "61734-NDB-2301-00017.bin", build_earlier_map_file(filler_bytes(3000, 17), 0, 2));
    put(top / "Obstacle Files" / "61734-ODB-0001-00001.bin", build_sectioned_file({.version = 2}));
    put(top / "Overlay Files" / "61734-GDB-0001-00001.bin", build_sectioned_file({.version = 2}));
}

void settings(const fs::path& top) {
    std::string cfg;
    for (const Folder& f : folders) cfg += std::string(f.key) + "=" + (top / f.name).string() + "\n";
    put(top / "upload.cfg", cfg + "BLOCK_DLY=5\n");
}

// The size given to --terrain-data-bytes; 0 when the text is not a positive number.
std::size_t byte_count(const char* text) {
    char* end = nullptr;
    const unsigned long long n = std::strtoull(text, &end, 10);
    return *text >= '1' && *text <= '9' && *end == '\0' && n <= (1ull << 31) ? std::size_t(n) : 0;
}
}  // namespace

const char* const usage =
    "Usage: htaws-make-demo [--terrain-data-bytes N] DIRECTORY\n"
    "Makes DIRECTORY a demonstration top-level directory: a file of every kind the\n"
    "uploader loads, each folder's parameter file and an upload.cfg naming them.\n"
    "\n"
    "  --terrain-data-bytes N  the terrain data file's size in bytes (default small)\n"
    "  --help                  this text\n"
    "\n"
    "Exit status: 0 made, 1 a file could not be written, 2 a usage error.\n"
    "\n"
    "Examples:\n"
    "  htaws-make-demo demo && cd demo && htaws-uploader\n"
    "  htaws-make-demo --terrain-data-bytes 104857600 big-demo\n";

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(usage, stdout);
        return 0;
    }
    std::size_t terrain_data_bytes = 0;
    if (argc == 4 && std::string(argv[1]) == "--terrain-data-bytes") {
        terrain_data_bytes = byte_count(argv[2]);
        argv += 2;
        argc -= 2;
        if (terrain_data_bytes == 0) argc = 0;
    }
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    std::error_code ec;
    const fs::path top = fs::absolute(argv[1], ec);
    for (const Folder& f : folders) fs::create_directories(top / f.name, ec);
    if (ec) {
        std::fprintf(stderr, "htaws-make-demo: cannot make %s: %s\n", top.c_str(), ec.message().c_str());
        return 1;
    }
    system_files(top / "System Files");
    databases(top, terrain_data_bytes);
    put(top / "Parameter Files" / "demo.dat", parameters);
    put(top / "HASS Files" / "HASS.dat", parameters);
    put(top / "NOGAMMA Files" / "NOGAMMA.dat", parameters);
    settings(top);
    if (g_ok) std::printf("demo top-level directory: %s\n", top.c_str());
    return g_ok ? 0 : 1;
}
