#include "catalogue/parameter_file.h"

#include <cstdio>

#include "catalogue/catalogue.h"
#include "catalogue/unit_names.h"
#include "catalogue/upload_settings.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {
struct ParameterFileState {
    std::string name;
    std::string path;
};
ParameterFileState g_parameter_file;
}  // namespace

const std::string& parameter_file_name() { return g_parameter_file.name; }

const std::string& parameter_file_path() { return g_parameter_file.path; }

bool set_parameter_file_name(const std::string& name) {
    auto path = path_join(upload_setting(PRM_DIR), name);
    if (!path) return false;
    g_parameter_file = {name, std::move(*path)};
    return true;
}

std::string unit_backup_name() {
    const std::string& first = catalogue_candidate(CAT_PARAMETER_FILES, 0).version;
    if (name_holds_serial_text(first)) return first;
    if (!unit_names().default_backup_name.empty()) return unit_names().default_backup_name;
    return temporary_parameter_name;
}

bool prove_writable(const std::string& path) {
    if (file_exists(path)) {
        std::FILE* f = std::fopen(path.c_str(), "r+b");
        if (!f) return false;
        std::fclose(f);
        return true;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    return std::remove(path.c_str()) == 0;
}

void parameter_file_reset() { g_parameter_file = ParameterFileState{}; }
