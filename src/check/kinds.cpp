#include "check/kinds.h"

#include <algorithm>
#include <array>

#include "catalogue/catalogue.h"
#include "catalogue/earlier_generation_files.h"
#include "catalogue/load_preparation.h"
#include "catalogue/patterns.h"
#include "catalogue/refusal.h"
#include "catalogue/upload_settings.h"
#include "catalogue/version_select.h"
#include "check/file_kinds.h"
#include "platform/paths.h"

namespace {
template <CatalogueKind kind>
FoundFiles catalogue_candidates(const std::string&) {
    FoundFiles found;
    for (int i = 0; i < catalogue_count(kind); ++i) found.names.push_back(catalogue_item_text(kind, i));
    if (!found.names.empty()) found.offered = catalogue_chosen(kind);
    return found;
}

// Parameter files are checked one by one, in the parameter folder.
FoundFiles parameter_candidates(const std::string& top_directory) {
    FoundFiles found = catalogue_candidates<CAT_PARAMETER_FILES>(top_directory);
    const std::string& folder = upload_setting(PRM_DIR);
    // An overlong path is kept whole for the check to refuse.
    for (const std::string& name : found.names) found.paths.push_back(folder + path_separator + name);
    found.place = folder + path_separator + pattern_value(PARM_FIL_GLOB);
    return found;
}

// HASS and No GAMMA are one file of a fixed name, offered when it opens.
template <CatalogueKind kind, UploadSetting folder, PatternKey name>
FoundFiles single_file(const std::string&) {
    FoundFiles found;
    found.place = upload_setting(folder) + path_separator + pattern_value(name);
    if (!catalogue_found(kind)) return found;
    found.names.push_back(catalogue_display(kind));
    found.paths.push_back(found.place);
    found.offered = 0;
    return found;
}

// The earlier-generation setup page offers what its preselection picks.
template <EarlierFile file>
FoundFiles earlier_files(const std::string& top_directory) {
    FoundFiles found;
    found.paths = earlier_candidates(top_directory, file);
    found.names = found.paths;
    const EarlierPlace place = earlier_place(file);
    found.place = top_directory + path_separator + std::string(place.folder) + path_separator +
                  std::string(place.pattern);
    earlier_preselect(top_directory);
    const std::string& offered = file == EarlierFile::system    ? earlier_system_file()
                                 : file == EarlierFile::airport ? earlier_airport_file()
                                                                : earlier_terrain_data_file();
    const auto at = std::find(found.paths.begin(), found.paths.end(), offered);
    if (at != found.paths.end()) found.offered = static_cast<int>(at - found.paths.begin());
    return found;
}

constexpr std::array<CheckKind, 13> kinds{{
    {"system", "System software", catalogue_candidates<CAT_SYSTEM_SOFTWARE>, LF_SYSTEM_SOFTWARE,
     check_system_program},
    {"os", "OS images", catalogue_candidates<CAT_OS_IMAGES>, LF_OS_IMAGE, check_os_image},
    {"boot", "Boot program", catalogue_candidates<CAT_BOOT_PROGRAM>, LF_BOOT_IMAGE, check_boot_image},
    {"terrain", "Terrain database", catalogue_candidates<CAT_TERRAIN>, LF_TERRAIN, check_terrain_info},
    {"airport", "Airport database", catalogue_candidates<CAT_AIRPORT>, LF_AIRPORT, check_airport_file},
    {"obstacle", "Obstacle database", catalogue_candidates<CAT_OBSTACLE>, LF_OBSTACLE, check_obstacle_file},
    {"overlay", "Overlay database", catalogue_candidates<CAT_OVERLAY>, LF_OVERLAY, check_overlay_file},
    {"parameter", "Parameter files", parameter_candidates, LF_NONE, check_parameter_lines},
    {"hass", "HASS configuration", single_file<CAT_HASS, HAS_DIR, HASS_FIL_GLOB>, LF_NONE, check_parameter_lines},
    {"nogamma", "No GAMMA configuration", single_file<CAT_NO_GAMMA, NGM_DIR, NGMA_FIL_GLOB>, LF_NONE,
     check_parameter_lines},
    {"earlier-hex", "Earlier generation system file", earlier_files<EarlierFile::system>, LF_NONE,
     check_earlier_system_file},
    {"earlier-airport", "Earlier generation airport file", earlier_files<EarlierFile::airport>, LF_NONE,
     check_earlier_airport_file},
    {"earlier-terrain", "Earlier generation terrain file", earlier_files<EarlierFile::terrain_data>, LF_NONE,
     check_earlier_terrain_file},
}};
}  // namespace

std::span<const CheckKind> check_kinds() { return kinds; }

bool check_found_candidate(const CheckKind& kind, const FoundFiles& found, int index) {
    if (kind.load != LF_NONE) {
        catalogue_choose(*catalogue_of_function(kind.load), index);
        return prepare_load(kind.load, DiskAccess::read_only);
    }
    if (index < 0) {
        refuse(with_text("No file matches '%s'.", found.place), "htaws-check");
        return false;
    }
    return kind.check_file(found.paths[index]);
}

const CheckKind* find_check_kind(std::string_view name) {
    for (const CheckKind& kind : kinds)
        if (kind.name == name) return &kind;
    return nullptr;
}
