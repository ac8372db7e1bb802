#include "catalogue/load_preparation.h"

#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/candidate_names.h"
#include "catalogue/file_checks.h"
#include "catalogue/load_files.h"
#include "catalogue/parameter_file.h"
#include "catalogue/refusal.h"
#include "catalogue/version_select.h"
#include "formats/image.h"
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
}  // namespace

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

namespace {
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

// In the order of load_files: main, I/O, start-up program.
constexpr std::size_t start_up_index = 2;

// The checker reads only: proving the backup writable would write to the disk.
bool backup_ready(DiskAccess access) { return access == DiskAccess::read_only || prepare_backup_file(); }

bool prepare_system_software(DiskAccess access) {
    const CatalogueKind kind = CAT_SYSTEM_SOFTWARE;
    if (!name_chosen_files(kind) || !backup_ready(access)) return false;
    for (std::size_t i = 0; i < g_preparation.files.size(); ++i)
        if (!check_program_file(g_preparation.files[i], i == start_up_index)) return false;
    const std::string& version = catalogue_candidate(kind, catalogue_chosen(kind)).version;
    check_companion("update_execs_", version, g_preparation.update_execs_present, g_preparation.update_execs_path);
    check_companion("update_data_", version, g_preparation.update_data_present, g_preparation.update_data_path);
    return true;
}

bool prepare_images(CatalogueKind kind, uint32_t image_type, DiskAccess access) {
    if (!name_chosen_files(kind) || !backup_ready(access)) return false;
    for (const std::string& path : g_preparation.files)
        if (!check_image_file(path, image_type)) return false;
    return true;
}

bool prepare_terrain() {
    return name_chosen_files(CAT_TERRAIN) &&
           check_terrain_files(g_preparation.files[0], g_preparation.files[1], g_preparation.terrain_phase);
}

bool prepare_airport() {
    if (!name_chosen_files(CAT_AIRPORT)) return false;
    const int64_t size = check_map_file(g_preparation.files[0], catalogue_display(CAT_AIRPORT));
    if (size <= 0) return false;
    g_preparation.database_size = size;
    return true;
}

bool prepare_sectioned(CatalogueKind kind) {
    return name_chosen_files(kind) && check_sectioned_file(g_preparation.files[0], kind == CAT_OBSTACLE);
}

bool run_preparation(LoaderFunction function, DiskAccess access) {
    switch (function) {
        case LF_SYSTEM_SOFTWARE: return prepare_system_software(access);
        case LF_OS_IMAGE: return prepare_images(CAT_OS_IMAGES, IMAGE_OS, access);
        case LF_BOOT_IMAGE: return prepare_images(CAT_BOOT_PROGRAM, IMAGE_BOOT, access);
        case LF_TERRAIN: return prepare_terrain();
        case LF_AIRPORT: return prepare_airport();
        case LF_OBSTACLE:
        case LF_OVERLAY: return prepare_sectioned(*catalogue_of_function(function));
        default: return false;
    }
}
}  // namespace

bool prepare_load(LoaderFunction function, DiskAccess access) {
    const auto kind = catalogue_of_function(function);
    if (!kind || *kind == CAT_PARAMETER_FILES) return false;
    g_preparation.files.clear();
    const bool ready = run_preparation(function, access);
    // The checks are done: the last image checked is not held open while the
    // load runs (on Windows an open file can be neither replaced nor removed).
    image_reset();
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
