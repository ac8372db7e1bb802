#include "check/file_kinds.h"

#include <cstdio>

#include "catalogue/earlier_generation_files.h"
#include "catalogue/file_checks.h"
#include "catalogue/patterns.h"
#include "catalogue/refusal.h"
#include "formats/image.h"
#include "unit/parameter_lines.h"

namespace {
bool earlier_check(LoaderFunction function, const std::string& system_file, const std::string& database_file) {
    return earlier_check_next({function, system_file, database_file, "", DiskAccess::read_only});
}
}  // namespace

bool check_system_program(const std::string& path) { return check_program_file(path, false); }

bool check_os_image(const std::string& path) { return check_image_file(path, IMAGE_OS); }

bool check_boot_image(const std::string& path) { return check_image_file(path, IMAGE_BOOT); }

// The info file names its data file: the same name with the data suffix in
// place of the header suffix.
bool check_terrain_info(const std::string& path) {
    const std::string& header_suffix = pattern_value(GDAT_HDR_SUFX);
    if (header_suffix.empty() || !path.ends_with(header_suffix)) {
        refuse(with_text("A terrain info file name ends in '%s'.", header_suffix), "htaws-check");
        return false;
    }
    const std::string data = path.substr(0, path.size() - header_suffix.size()) + pattern_value(GDAT_DAT_SUFX);
    int phase = 0;
    return check_terrain_files(path, data, phase);
}

bool check_airport_file(const std::string& path) { return check_map_file(path, path) > 0; }

bool check_obstacle_file(const std::string& path) { return check_sectioned_file(path, true); }

bool check_overlay_file(const std::string& path) { return check_sectioned_file(path, false); }

bool check_parameter_lines(const std::string& path) {
    // The uploader's refusals of a missing or empty configuration file.
    if (!earlier_check_next({LF_WRITE_CONFIG, "", "", path, DiskAccess::read_only})) return false;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return false;
    std::string first;
    read_parameter_line(file, first);
    const bool factory = is_factory_header(first);
    std::rewind(file);
    bool valid = true;
    for_each_sent_line(file, factory, [&](std::string_view line) {
        if (const LineFault fault = check_parameter_line(line); fault.rule != 0) {
            report_ignored_line(line, fault);
            valid = false;
        }
        return true;
    });
    std::fclose(file);
    return valid;
}

bool check_earlier_system_file(const std::string& path) { return earlier_check(LF_SYSTEM_SOFTWARE, path, ""); }

bool check_earlier_airport_file(const std::string& path) { return earlier_check(LF_AIRPORT, "", path); }

bool check_earlier_terrain_file(const std::string& path) { return earlier_check(LF_TERRAIN, "", path); }
