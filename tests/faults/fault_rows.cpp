#include "faults/fault_rows.h"

#include <filesystem>

#include "setup/setup_layout.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"

namespace {
void put(const TempDir& top, const std::string& folder, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(top.file(folder));
    top.write(folder + "/" + name, bytes);
}

std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

void nothing(const TempDir&, SimConfig&) {}
std::vector<TechAction> next(LoaderFunction f) { return {tech::click(f), tech::click(ID_SETUP_NEXT)}; }

void terrain(const TempDir& top, SimConfig&) {
    const TerrainPair pair = build_terrain_pair({.version = 1, .data = filler_bytes(300000, 5)});
    put(top, "Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
    put(top, "Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
}
void airport(const TempDir& top, SimConfig&) {
    put(top, "Airport Files", "61734-NDB-2301-00017.bin", build_map_file({.version = 2, .data = filler_bytes(200000, 6)}));
}
void obstacle(const TempDir& top, SimConfig&) {
    put(top, "Obstacle Files", "61734-ODB-0001-00001.bin",
        build_sectioned_file({.version = 2, .data = filler_bytes(200000, 7)}));
}
void overlay(const TempDir& top, SimConfig&) {
    put(top, "Overlay Files", "61734-GDB-0001-00001.bin",
        build_sectioned_file({.version = 2, .data = filler_bytes(200000, 8)}));
}
void earlier_unit(SimConfig& unit) {
    unit.generation = 1;
    unit.p_table.hardware_id = 0x12345FFF;
}
void earlier_airport(const TempDir& top, SimConfig& unit) {
    earlier_unit(unit);
    put(top, "Airport Files", "61734-NDB-2301-00017.bin", build_earlier_map_file(filler_bytes(60000, 12), 0, 2));
}
void earlier_terrain(const TempDir& top, SimConfig& unit) {
    earlier_unit(unit);
    const TerrainPair pair = build_terrain_pair(
        {.generation = TerrainGeneration::earlier, .version = 1, .data = filler_bytes(90000, 13)});
    put(top, "Terrain Files", "61734-TDB-0001-00001_header.bin", pair.info_file);
    put(top, "Terrain Files", "61734-TDB-0001-00001_data.bin", pair.data_file);
}
void settings(const TempDir& top, SimConfig&) {
    put(top, "Parameter Files", "settings.dat", "Audio Volume 0x00000007\nSpeed.Limit 0x00000001\n");
}
void recordings(const TempDir&, SimConfig& unit) {
    unit.packet_size = 1000;
    unit.recordings = {bytes_of(filler_bytes(5500, 9)), {}, bytes_of(filler_bytes(2500, 10))};
}
void erasable(const TempDir&, SimConfig& unit) { unit.recordings = {bytes_of("flight")}; }
void test_image(const TempDir& top, SimConfig&) { put(top, "System Files", "two_meg.dat", filler_bytes(2u << 20, 11)); }

std::vector<TechAction> backup_name(LoaderFunction f) {
    return {tech::click(f), tech::type(ID_PARAMETER_BOX, "backup.dat"), tech::click(ID_SETUP_NEXT)};
}
// The block test has no button of its own: a key of the page starts it.
std::vector<TechAction> block_test_key(LoaderFunction f) { return {tech::command(f)}; }
}  // namespace

const std::vector<FunctionRow>& fault_rows() {
    static const std::vector<FunctionRow> rows = {
        {"read-config", LF_READ_CONFIG, nothing, backup_name, "Configuration read complete", {"RP"}, "", false, false, true},
        {"write-config", LF_WRITE_CONFIG, settings, next, "Configuration write complete", {"WP"}, "", false, false, false},
        {"terrain", LF_TERRAIN, terrain, next, "Terrain Data Load Successful!", {"DF", "RP", "P"}, "P", true, false, true},
        {"airport", LF_AIRPORT, airport, next, "NAV Data Load Successful!", {"DF", "RP", "P"}, "P", true, false, true},
        {"obstacle", LF_OBSTACLE, obstacle, next, "OBS Data Load Successful!", {"DF", "RP", "P"}, "P", true, false, true},
        {"overlay", LF_OVERLAY, overlay, next, "OVLY Data Load Successful!", {"DF", "RP", "P"}, "P", true, false, true},
        {"download-recordings", LF_DOWNLOAD_RECORDING, recordings, next,
         "Flight Data Recording file transfers complete", {"RC", "H"}, "", false, true, false},
        {"erase-recordings", LF_ERASE_RECORDING, erasable, next, "Erased Flight Recordings from system", {"ER"}, "",
         false, false, false},
        {"earlier-airport", LF_AIRPORT, earlier_airport, next, "Load airport data complete", {"M"}, "M", true, false,
         true},
        {"earlier-terrain", LF_TERRAIN, earlier_terrain, next, "Load terrain data complete", {"T"}, "T", true, false,
         true},
        {"block-test", LF_BLOCK_TEST, test_image, block_test_key, "Load Block Test image complete", {"PT"}, "PT", true,
         false, false},
    };
    return rows;
}
