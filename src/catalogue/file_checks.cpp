#include "catalogue/file_checks.h"

#include <array>
#include <string_view>

#include "catalogue/refusal.h"
#include "formats/image.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "formats/terrain_file.h"

namespace {
constexpr std::string_view open_failed = "Failed to open file '%s'.";

struct ImageCheck {
    bool (*passes)();
    std::string_view message;
    std::string_view caption;
};

// The checks after the header, in order; the start-up program skips the last.
const std::array<ImageCheck, 3> program_checks{{
    {image_check_payload_crc, "File CRC check failed for '%s'.", "Error"},
    {image_is_release, "ERROR : '%s' is NOT a release software version.", "ERROR"},
    {image_check_embedded_crc, "ERROR : '%s' BAD embedded CRC.", "ERROR"},
}};

std::string_view sectioned_reason(int result, bool obstacle) {
    switch (result) {
        case DB_OPEN_FAILED: return obstacle ? "Unable to open Obstacle File." : "Unable to open Overlay File.";
        case DB_HEADER_READ_FAILED:
            return obstacle ? "Failed read of Obstacle File Header." : "Failed read of Overlay File Header.";
        case DB_HEADER_CRC_FAILED:
            return obstacle ? "CRC Failed : Obstacle File Header." : "CRC Failed : Overlay File Header.";
        case DB_INFO_READ_FAILED:
            return obstacle ? "Failed read of Obstacle File Info." : "Failed read of Overlay File Info.";
        case DB_INFO_CRC_FAILED:
            return obstacle ? "CRC Failed : Obstacle File Info Section." : "CRC Failed : Overlay File Info Section.";
        case DB_DATA_READ_FAILED:
            return obstacle ? "Failed read of Obstacle File Data." : "Failed read of Overlay File Data.";
        case DB_DATA_CRC_FAILED:
            return obstacle ? "CRC Failed : Obstacle File Data Section." : "CRC Failed : Overlay File Data Section.";
        default: return "<Unknown Error Return>";
    }
}
}  // namespace

bool check_program_file(const std::string& path, bool start_up) {
    if (!image_open(path, IMAGE_SYSTEM_PROGRAM)) {
        refuse(with_text(open_failed, path));
        return false;
    }
    const std::size_t check_count = start_up ? program_checks.size() - 1 : program_checks.size();
    for (std::size_t i = 0; i < check_count; ++i) {
        const ImageCheck& check = program_checks[i];
        if (check.passes()) continue;
        refuse(with_text(check.message, path), check.caption);
        return false;
    }
    return true;
}

bool check_image_file(const std::string& path, uint32_t image_type) {
    if (image_open(path, image_type)) return true;
    refuse(with_text(open_failed, path));
    return false;
}

bool check_terrain_files(const std::string& header, const std::string& data, int& phase) {
    phase = 1;
    const bool header_read = read_terrain_info(header) > 0;
    phase = 0;
    if (!header_read || read_terrain_data(data) <= 0) {
        refuse(with_text("Could not read terrain header file '%s'.", header_read ? data : header));
        return false;
    }
    return true;
}

int64_t check_map_file(const std::string& path, const std::string& shown) {
    const int64_t size = verify_map_file(path);
    if (size > 0) return size;
    refuse(with_text("Could not read airport file '%s'.", shown));
    return 0;
}

bool check_sectioned_file(const std::string& path, bool obstacle) {
    const int result = obstacle ? read_obstacle_file(path) : read_overlay_file(path);
    if (result >= 0) return true;
    refuse(with_text(obstacle ? "Obstacle File Error - '%s'." : "Overlay File Error - '%s'.",
                     sectioned_reason(result, obstacle)));
    return false;
}
