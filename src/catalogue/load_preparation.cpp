#include "catalogue/load_preparation.h"

#include <array>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/candidate_names.h"
#include "catalogue/load_files.h"
#include "catalogue/parameter_file.h"
#include "catalogue/refusal.h"
#include "catalogue/version_select.h"
#include "formats/image.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "formats/terrain_file.h"
#include "platform/paths.h"

namespace {
struct PreparationState {
    bool load_ready = false;
    bool update_execs_present = false;
    bool update_data_present = false;
    std::string update_execs_path;
    std::string update_data_path;
    std::vector<std::string> files;
    int64_t database_size = 0;
    int terrain_phase = 0;
};
PreparationState g_preparation;

std::string_view empty_message(CatalogueKind kind) {
    switch (kind) {
        case CAT_SYSTEM_SOFTWARE: return "No loadable programs found in: '%s'.";
        case CAT_OS_IMAGES: return "No loadable OS Images found in: '%s'.";
        case CAT_BOOT_PROGRAM: return "No loadable boot program found in: '%s'.";
        case CAT_TERRAIN: return "No loadable terrain found in: '%s'.";
        case CAT_AIRPORT: return "No loadable nav files found in: '%s'.";
        case CAT_OBSTACLE: return "No loadable obstacles found in: '%s'.";
        default: return "No loadable overlays found in: '%s'.";
    }
}

// The chosen candidate's files, or false after the refusal.
bool name_chosen_files(CatalogueKind kind) {
    if (!catalogue_found(kind)) {
        refuse(with_text(empty_message(kind), upload_setting(kind_rules(kind).folder)));
        set_catalogue_ready(kind, false);
        return false;
    }
    LoadFiles files = load_files(kind, catalogue_candidate(kind, catalogue_chosen(kind)));
    if (!files.too_long.empty()) {
        refuse(files.too_long);
        return false;
    }
    g_preparation.files = std::move(files.paths);
    return true;
}

// The backup that the software loads make of the configuration goes to this
// unit's own parameter file, which must be writable; an existing backup is
// left as it is until the new configuration has been read completely.
bool prepare_backup_file() {
    catalogue_scan(CAT_PARAMETER_FILES, upload_setting(PRM_DIR));
    const std::string name = unit_backup_name();
    if (!set_parameter_file_name(name)) {
        refuse(path_too_long_message(upload_setting(PRM_DIR) + path_separator + name));
        return false;
    }
    if (!prove_writable(parameter_file_path())) {
        refuse(with_text("Could not create '%s'.", parameter_file_path()));
        return false;
    }
    return true;
}

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

bool check_program(const std::string& path, std::size_t check_count) {
    if (!image_open(path, IMAGE_SYSTEM_PROGRAM)) {
        refuse(with_text(open_failed, path));
        return false;
    }
    for (std::size_t i = 0; i < check_count; ++i) {
        const ImageCheck& check = program_checks[i];
        if (check.passes()) continue;
        refuse(with_text(check.message, path), check.caption);
        return false;
    }
    return true;
}

// A companion is optional: missing or with a bad header it is silently
// absent; with a bad payload the technician is warned and it is not loaded.
void check_companion(std::string_view prefix, const std::string& version, bool& present, std::string& path) {
    present = false;
    path.clear();
    LoadFiles file = companion_file(std::string(prefix), version);
    if (file.paths.empty() || !image_open(file.paths[0], IMAGE_UPDATE_PAYLOAD)) return;
    if (!image_check_payload_crc()) {
        refuse("WARNING : '" + std::string(prefix) + version + "' payload CRC failed. Will not load.", "CRC FAILED",
               BoxIcon::warning);
        return;
    }
    present = true;
    path = std::move(file.paths[0]);
}

bool prepare_system_software() {
    const CatalogueKind kind = CAT_SYSTEM_SOFTWARE;
    if (!name_chosen_files(kind) || !prepare_backup_file()) return false;
    const std::array<std::size_t, 3> check_counts{3, 3, 2};
    for (std::size_t i = 0; i < check_counts.size(); ++i)
        if (!check_program(g_preparation.files[i], check_counts[i])) return false;
    const std::string& version = catalogue_candidate(kind, catalogue_chosen(kind)).version;
    check_companion("update_execs_", version, g_preparation.update_execs_present, g_preparation.update_execs_path);
    check_companion("update_data_", version, g_preparation.update_data_present, g_preparation.update_data_path);
    return true;
}

bool prepare_images(CatalogueKind kind, uint32_t image_type) {
    if (!name_chosen_files(kind) || !prepare_backup_file()) return false;
    for (const std::string& path : g_preparation.files) {
        if (image_open(path, image_type)) continue;
        refuse(with_text(open_failed, path));
        return false;
    }
    return true;
}

bool prepare_terrain() {
    if (!name_chosen_files(CAT_TERRAIN)) return false;
    const std::string& header = g_preparation.files[0];
    const std::string& data = g_preparation.files[1];
    g_preparation.terrain_phase = 1;
    const bool header_read = read_terrain_info(header) > 0;
    g_preparation.terrain_phase = 0;
    if (!header_read || read_terrain_data(data) <= 0) {
        refuse(with_text("Could not read terrain header file '%s'.", header_read ? data : header));
        return false;
    }
    return true;
}

bool prepare_airport() {
    if (!name_chosen_files(CAT_AIRPORT)) return false;
    const int64_t size = verify_map_file(g_preparation.files[0]);
    if (size <= 0) {
        refuse(with_text("Could not read airport file '%s'.", catalogue_display(CAT_AIRPORT)));
        return false;
    }
    g_preparation.database_size = size;
    return true;
}

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

bool prepare_sectioned(CatalogueKind kind) {
    if (!name_chosen_files(kind)) return false;
    const bool obstacle = kind == CAT_OBSTACLE;
    const std::string& path = g_preparation.files[0];
    const int result = obstacle ? read_obstacle_file(path) : read_overlay_file(path);
    if (result >= 0) return true;
    refuse(with_text(obstacle ? "Obstacle File Error - '%s'." : "Overlay File Error - '%s'.",
                     sectioned_reason(result, obstacle)));
    return false;
}

bool run_preparation(LoaderFunction function) {
    switch (function) {
        case LF_SYSTEM_SOFTWARE: return prepare_system_software();
        case LF_OS_IMAGE: return prepare_images(CAT_OS_IMAGES, IMAGE_OS);
        case LF_BOOT_IMAGE: return prepare_images(CAT_BOOT_PROGRAM, IMAGE_BOOT);
        case LF_TERRAIN: return prepare_terrain();
        case LF_AIRPORT: return prepare_airport();
        case LF_OBSTACLE:
        case LF_OVERLAY: return prepare_sectioned(*catalogue_of_function(function));
        default: return false;
    }
}
}  // namespace

bool prepare_load(LoaderFunction function) {
    const auto kind = catalogue_of_function(function);
    if (!kind || *kind == CAT_PARAMETER_FILES) return false;
    g_preparation.files.clear();
    const bool ready = run_preparation(function);
    g_preparation.load_ready = ready;
    // A failed system software or boot program stays refused until the page
    // is entered again; the other kinds keep their flag unless their list is empty.
    if (ready || *kind == CAT_SYSTEM_SOFTWARE || *kind == CAT_BOOT_PROGRAM) set_catalogue_ready(*kind, ready);
    return ready;
}

bool load_ready() { return g_preparation.load_ready; }

void set_load_ready(bool ready) { g_preparation.load_ready = ready; }

bool update_execs_present() { return g_preparation.update_execs_present; }

bool update_data_present() { return g_preparation.update_data_present; }

const std::string& update_execs_path() { return g_preparation.update_execs_path; }

const std::string& update_data_path() { return g_preparation.update_data_path; }

const std::vector<std::string>& prepared_files() { return g_preparation.files; }

int64_t prepared_database_size() { return g_preparation.database_size; }

int terrain_phase() { return g_preparation.terrain_phase; }

void load_preparation_reset() { g_preparation = PreparationState{}; }
