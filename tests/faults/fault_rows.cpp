#include "faults/fault_rows.h"

#include <filesystem>

#include "app/page_loop.h"
#include "app/transfer_page.h"
#include "app/waiting_page.h"
#include "catalogue/earlier_generation_files.h"
#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"
#include "setup/setup_page.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"

namespace {
void put(const TempDir& top, const std::string& folder, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(top.file(folder));
    top.write(folder + "/" + name, bytes);
}

std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

void nothing(const TempDir&, SimConfig&) {}
void next(LoaderFunction f) { script_page(SETUP_PAGE, {tech::click(f), tech::click(ID_SETUP_NEXT)}); }

void terrain(const TempDir& top, SimConfig&) {
    const TerrainPair pair = build_terrain_pair({.version = 1, .data = filler_bytes(300000, 5)});
    put(top, "Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
    put(top, "Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
}
void long_terrain(const TempDir& top, SimConfig&) {
    const TerrainPair pair = build_terrain_pair({.version = 1, .data = filler_bytes(40u << 20, 5)});
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
    const TerrainPair pair = build_terrain_pair({.generation = TerrainGeneration::earlier, .version = 1, .data = "d"});
    put(top, "Terrain Files", "t1_theader.bin", pair.info_file);
    put(top, "Terrain Files", "t1_tdata.bin", filler_bytes(90000, 13));
}

void earlier_software(const TempDir& top, SimConfig& unit) {
    earlier_unit(unit);
    const std::string image = build_system_image({.length = 40000});
    unit.p_table.hardware_id = uint32_t(uint8_t(image[248])) << 24 | uint32_t(uint8_t(image[249])) << 16 |
                               uint32_t(uint8_t(image[250])) << 8 | uint8_t(image[251]);
    put(top, "System Files", "unit.hex", hex_text(image));
    std::filesystem::create_directories(top.file("Parameter Files"));
}

// The earlier-generation setup page's Next with the technician's typed file,
// then the pages that follow it.
void typed_on_earlier_setup(LoaderFunction function, const EarlierChoice& choice) {
    if (!earlier_check_next(choice)) return;
    set_handed_function(function);
    if (DoWaiting() == RESULT_NEXT) DoTransfer();
}
// The system file typed on the earlier-generation setup page, which the unit
// was not found for.
void start_earlier_software(const TempDir& top) {
    setup_page_start(top.path(), "", "Uploader");
    script_page(SETUP_PAGE, {tech::click(LF_SYSTEM_SOFTWARE), tech::type(ID_SYSTEM_BOX, top.file("System Files/unit.hex")),
                             tech::click(ID_SETUP_NEXT)});
    if (DoSetup() == ID_SETUP_NEXT && DoWaiting() == RESULT_NEXT) DoTransfer();
}
void start_earlier_terrain(const TempDir& top) {
    setup_page_start(top.path(), "", "Uploader");
    typed_on_earlier_setup(LF_TERRAIN, {LF_TERRAIN, "", top.file("Terrain Files/t1_tdata.bin"), ""});
}
// A set the board 0x34029FFF runs: identifier 0x3400 without the variant mark.
void system_software(const TempDir& top, SimConfig& unit) {
    unit.p_table.hardware_id = 0x34029FFF;
    const char* const programs[] = {"rk5200h_", "rk5200h_io_", "rk5200h_start_"};
    for (const char* name : programs)
        put(top, "System Files", std::string(name) + "1.07.hhf",
            build_load_image({.id_text = "0x3400", .version_text = "1.07", .payload_size = 120000}));
    const char* const updates[] = {"scrc32_", "update_execs_", "update_data_"};
    for (const char* name : updates)
        put(top, "System Files", std::string(name) + "1.07.hhf",
            build_load_image({.type = IMAGE_UPDATE_PAYLOAD, .id_text = "0x3400", .version_text = "1.07",
                              .elf = false, .payload_size = 3000}));
}
void os_images(const TempDir& top, SimConfig&) {
    const char* const names[] = {"uImage_1.07.hhf", "foo_dtb_1.07.hhf", "ubi_img_1.07.hhf"};
    for (const char* name : names)
        put(top, "System Files", name, build_load_image({.type = IMAGE_OS, .elf = false, .payload_size = 20000}));
}
void boot_image(const TempDir& top, SimConfig&) {
    put(top, "System Files", "u_boot_1.07.hhf", build_load_image({.type = IMAGE_BOOT, .elf = false, .payload_size = 30000}));
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

void backup_name(LoaderFunction f) {
    script_page(SETUP_PAGE, {tech::click(f), tech::type(ID_PARAMETER_BOX, "backup.dat"), tech::click(ID_SETUP_NEXT)});
}
// The block test has no button of its own: a key of the page starts it.
void block_test_key(LoaderFunction f) { script_page(SETUP_PAGE, {tech::command(f)}); }
// After Next the unit is to restart in flight mode once loaded.
void next_then_flight_mode(LoaderFunction f) {
    next(f);
    script_page(RESET_MODE_DIALOG, {tech::click(ID_FLIGHT_MODE)});
}
}  // namespace

const std::vector<FunctionRow>& fault_rows() {
    static const std::vector<FunctionRow> rows = {
        {"read-config", LF_READ_CONFIG, nothing, backup_name, "Configuration read complete", {"RP"}, "", false, false, false, true},
        {"write-config", LF_WRITE_CONFIG, settings, next, "Configuration write complete", {"WP"}, "", false, false, false, false},
        {"terrain", LF_TERRAIN, terrain, next, "Terrain Data Load Successful!", {"DF", "RP", "P"}, "P", true, true, false, true},
        {"terrain-40MiB", LF_TERRAIN, long_terrain, next, "Terrain Data Load Successful!", {}, "P", true, true, false,
         true, nullptr, 0, true},
        {"airport", LF_AIRPORT, airport, next, "NAV Data Load Successful!", {"DF", "RP", "P"}, "P", true, true, false, true},
        {"obstacle", LF_OBSTACLE, obstacle, next, "OBS Data Load Successful!", {"DF", "RP", "P"}, "P", true, true, false, true},
        {"overlay", LF_OVERLAY, overlay, next, "OVLY Data Load Successful!", {"DF", "RP", "P"}, "P", true, true, false, true},
        {"system-software", LF_SYSTEM_SOFTWARE, system_software, next_then_flight_mode, "System software load complete",
         {"RP", "P"}, "P", true, true, false, true, nullptr, 11},
        {"os-image", LF_OS_IMAGE, os_images, next, "System OS Image file load complete", {"RP", "P"}, "P", true, true,
         false, true},
        {"boot-image", LF_BOOT_IMAGE, boot_image, next, "System Boot image load complete", {"RP", "P"}, "P", true, true,
         false, true},
        {"download-recordings", LF_DOWNLOAD_RECORDING, recordings, next,
         "Flight Data Recording file transfers complete", {"RC", "H"}, "", false, false, true, false, nullptr, 7},
        {"erase-recordings", LF_ERASE_RECORDING, erasable, next, "Erased Flight Recordings from system", {"ER"}, "",
         false, false, false, false},
        {"earlier-airport", LF_AIRPORT, earlier_airport, next, "Load airport data complete", {"M"}, "M", true, false,
         false, true},
        {"earlier-terrain", LF_TERRAIN, earlier_terrain, nullptr, "Load terrain data complete", {"T"}, "T", true,
         false, false, true, start_earlier_terrain},
        {"earlier-software", LF_SYSTEM_SOFTWARE, earlier_software, nullptr, "System software load complete", {}, "",
         true, false, false, true, start_earlier_software},
        {"block-test", LF_BLOCK_TEST, test_image, block_test_key, "Load Block Test image complete", {"PT"}, "PT", true,
         true, false, false},
    };
    return rows;
}
