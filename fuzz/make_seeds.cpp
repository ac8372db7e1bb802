// Writes valid inputs of every fuzz target, as seeds, into <folder>/<target>/:
// files from the fixture builders and the uploader's own writers, and the
// simulated unit's replies.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "catalogue/patterns.h"
#include "catalogue/upload_settings.h"
#include "fuzz_input.h"
#include "sim/framing.h"
#include "sim/sim_unit.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"

namespace fs = std::filesystem;

namespace {
// The first byte of each input of fuzz_link and fuzz_text_files picks the reader.
constexpr uint8_t link_table = 0, link_lines = 2;
// The packet reader with pieces of 1 + 15 bytes.
constexpr uint8_t link_packets_of_16 = 1 + 3 * 15;
constexpr uint8_t text_upload_cfg = 0, text_pattern_override = 1, text_parameter_file = 2;

void seed(const fs::path& folder, const std::string& target, int n, const std::string& file, uint8_t options) {
    fs::create_directories(folder / target);
    std::ofstream(folder / target / ("seed" + std::to_string(n)), std::ios::binary) << char(options) << file;
}

// Everything the simulated unit answers to `commands`.
std::string unit_reply(const std::string& commands, SimConfig config = {}) {
    SimUnit unit(std::move(config));
    unit.receive(reinterpret_cast<const uint8_t*>(commands.data()), commands.size(), 0);
    std::string reply(unit.available(0), '\0');
    reply.resize(unit.take(reinterpret_cast<uint8_t*>(reply.data()), reply.size(), 0));
    return reply;
}

std::string packet(uint8_t type, const std::string& payload) {
    const std::vector<uint8_t> bytes =
        sim_packet(type, reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), false);
    return std::string(bytes.begin(), bytes.end());
}

std::string read_text(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void link_seeds(const fs::path& out) {
    seed(out, "fuzz_link", 1, unit_reply("QP\r\n"), link_table);
    seed(out, "fuzz_link", 2, unit_reply("QT\r\n", {.line_end = "\n"}), link_table);
    std::string payload = filler_bytes(40, 3);
    payload[7] = payload[16] = char(DLE);
    seed(out, "fuzz_link", 3, packet('D', payload) + packet('D', payload.substr(0, 16)) + packet('X', ""),
         link_packets_of_16);
    seed(out, "fuzz_link", 4, unit_reply("RP\r\nDF\r\n"), link_lines);
}

// The upload settings and pattern table as the uploader writes them.
void text_file_seeds(const fs::path& out) {
    const fs::path scratch = out / "make_seeds-scratch";
    fs::create_directories(scratch);
    upload_settings_reset();
    apply_upload_defaults(scratch.string(), DiskAccess::read_only);
    write_upload_config(scratch.string());
    seed(out, "fuzz_text_files", 1, read_text(scratch / "upload.cfg"), text_upload_cfg);
    patterns_reset();
    dump_patterns(scratch.string(), pattern_override_name);
    seed(out, "fuzz_text_files", 2, read_text(scratch / pattern_override_name), text_pattern_override);
    fs::remove_all(scratch);

    std::string parameters;
    for (const std::string& line : SimConfig::default_parameters()) parameters += line + "\r\n";
    seed(out, "fuzz_text_files", 3, parameters, text_parameter_file);
    seed(out, "fuzz_text_files", 4, "ModelID=RK5200H Serial=12345678\r\n" + parameters, text_parameter_file);
}
// Earlier-generation system files as text, and one image for the target to
// seal and write out itself.
void system_file_seeds(const fs::path& out) {
    seed(out, "fuzz_system_file", 1, hex_text(build_system_image({})), 0);
    seed(out, "fuzz_system_file", 2,
         hex_text(build_system_image({.length = 600, .checksum = ImageChecksumWord::at_212, .checked_length = 400}),
                  "\r\n", 32),
         0);
    seed(out, "fuzz_system_file", 3, hex_text(build_system_image({.checksum = ImageChecksumWord::at_224})), 0);
    seed(out, "fuzz_system_file", 4, build_system_image({.length = 300}), fuzz_seal);
}

// Parameter files with and without a factory header; the option bits give the
// target's unit its generation (1), model (2) and serial (4).
void parameter_file_seeds(const fs::path& out) {
    std::string parameters;
    for (const std::string& line : SimConfig::default_parameters()) parameters += line + "\r\n";
    seed(out, "fuzz_parameter_file", 1, parameters, 1);
    seed(out, "fuzz_parameter_file", 2, "ModelID=RK5200H Serial=12345678\r\n" + parameters, 7);
    seed(out, "fuzz_parameter_file", 3, "ModelID=rk5200h Serial=UNIVERSAL\n" + parameters, 3);
}

// The unit's answers to the free space query, to a database erase, and to the
// erase the offer sends once the technician has chosen a mode.
void database_reply_seeds(const fs::path& out) {
    seed(out, "fuzz_database_replies", 1, unit_reply("DF\r"), 0);
    seed(out, "fuzz_database_replies", 2, unit_reply("DDB 1\r"), 1);
    seed(out, "fuzz_database_replies", 3, unit_reply("DDB 1\r"), 2);
    seed(out, "fuzz_database_replies", 4, unit_reply("DDB 2\r", {.faults = {.bare_delete_answer = true}}), 5);
}

// A download of two recordings in packets of 16 bytes, the first with a
// packet cut short.
void recordings_seeds(const fs::path& out) {
    const auto recording = [](std::size_t size, uint32_t fill) {
        const std::string bytes = filler_bytes(size, fill);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    };
    const SimConfig config{.recordings = {recording(20, 5), recording(40, 9)}, .packet_size = 16};
    std::string commands = "RC\r\nH 1\r\nOK 00000016\rOK 00000032\rOK 00000040\rOK end\r";
    commands += "H 0\r\nOK 00000016\rOK 00000020\rOK end\r";
    const std::string stream = unit_reply(commands, config);
    // The whole input is the unit's bytes: no option byte.
    fs::create_directories(out / "fuzz_recordings");
    std::ofstream(out / "fuzz_recordings" / "seed1", std::ios::binary) << stream;
    std::ofstream(out / "fuzz_recordings" / "seed2", std::ios::binary) << stream.substr(0, stream.size() / 2);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds <folder>\n";
        return 2;
    }
    const fs::path out = argv[1];
    seed(out, "fuzz_map", 1, build_map_file({}), fuzz_seal);
    seed(out, "fuzz_map", 2, build_map_file({.data = std::string(100, 'x'), .padding = 300}), fuzz_seal);
    seed(out, "fuzz_sectioned", 1, build_sectioned_file({.info = "info", .data = std::string(50, 'o')}), fuzz_seal);
    seed(out, "fuzz_sectioned", 2, build_sectioned_file({.format = 2, .data = std::string(50, 'o')}), fuzz_seal);
    const TerrainPair current = build_terrain_pair({.info = std::string(100, 'i'), .data = std::string(100, 'd')});
    seed(out, "fuzz_terrain", 1, current.info_file, fuzz_seal);
    const TerrainPair earlier = build_terrain_pair(
        {.generation = TerrainGeneration::earlier, .info = std::string(100, 'i'), .data = std::string(100, 'd')});
    seed(out, "fuzz_terrain", 2, earlier.data_file, fuzz_seal | 2);
    seed(out, "fuzz_image", 1, build_load_image({.writable_offset = 0x200, .embedded_offset = 0x180}), fuzz_seal);
    seed(out, "fuzz_image", 2,
         build_load_image({.elf_big_endian = true, .writable_offset = 0x1100, .embedded_offset = 0x200}), fuzz_seal);
    link_seeds(out);
    text_file_seeds(out);
    system_file_seeds(out);
    parameter_file_seeds(out);
    database_reply_seeds(out);
    recordings_seeds(out);
    return 0;
}
