#include "catalogue/load_files.h"

#include "catalogue/candidate_names.h"
#include "catalogue/patterns.h"
#include "catalogue/upload_settings.h"
#include "platform/paths.h"

namespace {
LoadFiles in_folder(const std::string& folder, const std::vector<std::string>& names) {
    LoadFiles files;
    for (const std::string& name : names) {
        auto path = path_join(folder, name);
        if (!path) {
            files.paths.clear();
            files.too_long = path_too_long_message(folder + path_separator + name);
            break;
        }
        files.paths.push_back(std::move(*path));
    }
    return files;
}
}  // namespace

LoadFiles load_files(CatalogueKind kind, const Candidate& candidate) {
    const std::string& version = candidate.version;
    std::vector<std::string> names;
    switch (kind) {
        case CAT_SYSTEM_SOFTWARE: {
            const std::string& base = pattern_value(EXEC_HHF_BASE);
            const std::string& suffix = pattern_value(EXEC_HHF_SUFX);
            names = {base + version + suffix, base + pattern_value(EXEC_HHF_IOTK) + version + suffix,
                     base + pattern_value(EXEC_HHF_STTK) + version + suffix};
            break;
        }
        case CAT_OS_IMAGES: {
            const std::string& suffix = pattern_value(LINX_KRN_SUFX);
            names = {pattern_value(LINX_KRN_BASE) + version + suffix, pattern_value(FIRM_DTB_BASE) + version + suffix,
                     pattern_value(RTFS_UBI_BASE) + version + suffix};
            break;
        }
        case CAT_BOOT_PROGRAM:
            names = {pattern_value(BOOT_BIN_BASE) + version + pattern_value(BOOT_BIN_SUFX)};
            break;
        case CAT_TERRAIN: {
            const std::string name = database_name(kind, candidate);
            names = {name + pattern_value(GDAT_HDR_SUFX), name + pattern_value(GDAT_DAT_SUFX)};
            break;
        }
        case CAT_AIRPORT:
        case CAT_OBSTACLE:
        case CAT_OVERLAY:
            names = {database_name(kind, candidate) + pattern_value(GDAT_BIN_SUFX)};
            break;
        default:
            names = {version};
            break;
    }
    return in_folder(upload_setting(kind_rules(kind).folder), names);
}

LoadFiles companion_file(const std::string& prefix, const std::string& version) {
    return in_folder(upload_setting(PGM_DIR), {prefix + version + pattern_value(EXEC_HHF_SUFX)});
}
