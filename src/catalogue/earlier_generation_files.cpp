#include "catalogue/earlier_generation_files.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/file_listing.h"
#include "catalogue/parameter_file.h"
#include "catalogue/refusal.h"
#include "catalogue/system_file_reader.h"
#include "formats/crc.h"
#include "formats/map_file.h"
#include "formats/terrain_file.h"
#include "output/log.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {
struct EarlierState {
    std::string system_file;
    std::string airport_file;
    std::string terrain_data_file;
    std::string terrain_header_file;
    bool system_picked = false;
    bool database_picked = false;
    std::unique_ptr<uint8_t[]> airport_data;
    int64_t airport_size = 0;
};
EarlierState g_earlier;

constexpr std::string_view need_file = "Need to select %s file name before proceeding";
constexpr std::string_view could_not_create = "Could not create '%s'.";

uint32_t word_at(const std::vector<uint8_t>& image, std::size_t offset) {
    return uint32_t(image[offset]) << 24 | uint32_t(image[offset + 1]) << 16 | uint32_t(image[offset + 2]) << 8 |
           image[offset + 3];
}

bool word_set(uint32_t word) { return word != 0 && word != 0xFFFFFFFFu; }

uint32_t raw_register(const std::vector<uint8_t>& image, std::size_t from, std::size_t to) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, image.data() + from, to - from);
    return reg;
}

bool path_accepted(const std::string& path) {
    if (path_fits(path)) return true;
    refuse(path_too_long_message(path));
    return false;
}

bool check_system_software(const EarlierChoice& choice) {
    const std::string& path = choice.system_file;
    if (path.empty()) {
        refuse(with_text(need_file, "Program"));
        return false;
    }
    if (!path_accepted(path)) return false;
    const int64_t size = read_system_file(path);
    if (size <= 0) {
        refuse(with_text("Couldn't open '%s'.", path));
        return false;
    }
    if (size < 256) {
        refuse(with_text("File Error on '%s'.", path));
        return false;
    }
    if (size > max_system_image_size) {
        log_write("Program too large for available space.");
        message_box("System Software too large for available space.", "System Software Size Error", BoxButtons::ok,
                    BoxIcon::error);
        return false;
    }
    const std::vector<uint8_t>& image = system_image();
    const bool checksum_at_244 = word_set(word_at(image, 244));
    const uint32_t length = word_at(image, checksum_at_244 ? 8 : 16);
    uint32_t expected = word_at(image, 244);
    if (!checksum_at_244) expected = word_set(word_at(image, 212)) ? word_at(image, 212) : word_at(image, 224);
    // The control block may declare a length the file does not hold.
    if (length < 256 || length > size) {
        refuse(with_text("File Error on '%s'.", path));
        return false;
    }
    if (raw_register(image, 256, length) != expected) {
        refuse(with_text("File '%s' has CRC Error.", path));
        return false;
    }
    const uint32_t block_checksum = word_at(image, 252);
    if (word_set(block_checksum) && raw_register(image, 0, 251) != block_checksum) {
        refuse(with_text("File '%s' Control Block CRC Error.", path));
        return false;
    }
    if (choice.access == DiskAccess::read_write && !prove_writable(choice.parameter_file)) {
        refuse(with_text(could_not_create, choice.parameter_file));
        return false;
    }
    return true;
}

bool check_airport(const EarlierChoice& choice) {
    const std::string& path = choice.database_file;
    if (path.empty()) {
        refuse(with_text(need_file, "Map"));
        return false;
    }
    if (!path_accepted(path)) return false;
    g_earlier.airport_size = read_map_file(path, g_earlier.airport_data);
    if (g_earlier.airport_size <= 0) {
        refuse(with_text("Could not read airport file '%s'.", path));
        return false;
    }
    return true;
}

// The header file is named like the data file with everything from "_tdata"
// on replaced; only the file name is searched, not the folders above it.
std::string terrain_header_of(const std::string& data_path) {
    const std::size_t separator = data_path.find_last_of("\\/");
    const std::size_t at = data_path.find("_tdata", separator == std::string::npos ? 0 : separator + 1);
    if (at == std::string::npos) return {};
    return data_path.substr(0, at) + "_theader.bin";
}

bool check_terrain(const EarlierChoice& choice) {
    const std::string& path = choice.database_file;
    if (path.empty()) {
        refuse(with_text(need_file, "Terrain"));
        return false;
    }
    g_earlier.terrain_header_file = terrain_header_of(path);
    if (g_earlier.terrain_header_file.empty()) {
        refuse(with_text("Need to select %s valid terrain file", "a"));
        return false;
    }
    if (!path_accepted(path) || !path_accepted(g_earlier.terrain_header_file)) return false;
    if (read_terrain_file_serial(g_earlier.terrain_header_file, TerrainPhase::header) <= 0) {
        refuse(with_text("Could not read terrain header file '%s'.", g_earlier.terrain_header_file));
        return false;
    }
    // The data phase sends the file that was checked, typed or picked.
    g_earlier.terrain_data_file = path;
    return true;
}

std::string parent_folder(const std::string& path) {
    const std::size_t end = path.find_last_of("\\/");
    return end == std::string::npos ? std::string() : path.substr(0, end);
}

bool check_read_config(const EarlierChoice& choice) {
    const std::string& path = choice.parameter_file;
    if (!path_accepted(path)) return false;
    if (prove_writable(path) || (make_folder(parent_folder(path)) && prove_writable(path))) return true;
    refuse(with_text(could_not_create, path));
    return false;
}

bool check_configuration_file(const EarlierChoice& choice) {
    const std::string& path = choice.parameter_file;
    if (!path_accepted(path)) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        refuse(with_text("Could not find Configuration data file\n'%s'.", path));
        return false;
    }
    const int64_t size = file_size(f);
    std::fclose(f);
    if (size <= 0) {
        refuse(with_text("Configuration data file\n'%s' has zero length\n\nDo not use!", path));
        return false;
    }
    return true;
}
}  // namespace

EarlierPlace earlier_place(EarlierFile file) {
    switch (file) {
        case EarlierFile::system: return {"System Files", "*.hex"};
        case EarlierFile::airport: return {"Airport Files", "*.bin"};
        case EarlierFile::terrain_data: return {"Terrain Files", "*_tdata.bin"};
    }
    return {};
}

std::vector<std::string> earlier_candidates(const std::string& top_directory, EarlierFile file) {
    const EarlierPlace place = earlier_place(file);
    const auto folder = path_join(top_directory, place.folder);
    if (!folder) return {};
    auto files = list_catalogue_files(*folder, std::string(place.pattern));
    std::sort(files.begin(), files.end(), [](const FileEntry& a, const FileEntry& b) {
        return listed_before(creation_stamp(a), a.name, creation_stamp(b), b.name);
    });
    std::vector<std::string> paths;
    for (const FileEntry& entry : files)
        if (auto path = path_join(*folder, entry.name)) paths.push_back(std::move(*path));
    return paths;
}

void earlier_preselect(const std::string& top_directory) {
    const auto newest = [&](EarlierFile file) {
        auto paths = earlier_candidates(top_directory, file);
        return paths.empty() ? std::string() : std::move(paths.front());
    };
    if (!g_earlier.system_picked) g_earlier.system_file = newest(EarlierFile::system);
    if (g_earlier.database_picked) return;
    g_earlier.airport_file = newest(EarlierFile::airport);
    g_earlier.terrain_data_file = newest(EarlierFile::terrain_data);
}

void mark_system_file_picked() { g_earlier.system_picked = true; }

void mark_database_file_picked() { g_earlier.database_picked = true; }

const std::string& earlier_system_file() { return g_earlier.system_file; }

const std::string& earlier_airport_file() { return g_earlier.airport_file; }

const std::string& earlier_terrain_data_file() { return g_earlier.terrain_data_file; }

void set_earlier_system_file(const std::string& path) { g_earlier.system_file = path; }

void set_earlier_airport_file(const std::string& path) { g_earlier.airport_file = path; }

void set_earlier_terrain_data_file(const std::string& path) { g_earlier.terrain_data_file = path; }

bool earlier_check_next(const EarlierChoice& choice) {
    switch (choice.function) {
        case LF_SYSTEM_SOFTWARE: return check_system_software(choice);
        case LF_AIRPORT: return check_airport(choice);
        case LF_TERRAIN: return check_terrain(choice);
        case LF_READ_CONFIG: return check_read_config(choice);
        case LF_WRITE_CONFIG:
        case LF_HASS_CONFIG:
        case LF_NO_GAMMA_CONFIG: return check_configuration_file(choice);
        default: refuse("No Transfer Selected"); return false;
    }
}

const std::string& earlier_terrain_header_file() { return g_earlier.terrain_header_file; }

const uint8_t* earlier_airport_data() { return g_earlier.airport_data.get(); }

int64_t earlier_airport_size() { return g_earlier.airport_size; }

void earlier_airport_release() {
    g_earlier.airport_data.reset();
    g_earlier.airport_size = 0;
}

void earlier_generation_reset() { g_earlier = EarlierState{}; }
