#include "loads/earlier_inputs.h"

#include <string>
#include <vector>

#include "catalogue/earlier_generation_files.h"
#include "catalogue/load_preparation.h"
#include "catalogue/system_file_reader.h"
#include "link/commands.h"
#include "link/serial.h"
#include "unit/model.h"
#include "platform/page_result.h"

namespace {
// The database file the current-generation preparation checked last (the
// data file of a terrain pair), else the earlier-generation choice.
std::string database_choice(const std::string& earlier_choice) {
    const std::vector<std::string>& files = prepared_files();
    return load_ready() && !files.empty() ? files.back() : earlier_choice;
}

std::string system_file_choice() {
    if (!earlier_system_file().empty()) return earlier_system_file();
    const std::vector<std::string> found = earlier_candidates(g_model.start_directory, EarlierFile::system);
    return found.empty() ? std::string() : found.front();
}

bool check(LoaderFunction function, std::string system_file, std::string database_file) {
    EarlierChoice choice;
    choice.function = function;
    choice.system_file = std::move(system_file);
    choice.database_file = std::move(database_file);
    // The configuration backup is the load's own first step and reports itself.
    choice.access = DiskAccess::read_only;
    return earlier_check_next(choice);
}
}  // namespace

bool earlier_inputs_ready(LoaderFunction function) {
    switch (function) {
        case LF_SYSTEM_SOFTWARE:
            return !system_image().empty() || check(LF_SYSTEM_SOFTWARE, system_file_choice(), "");
        case LF_AIRPORT:
            return earlier_airport_data() || check(LF_AIRPORT, "", database_choice(earlier_airport_file()));
        case LF_TERRAIN:
        case LF_TERRAIN_DATA:
            return !earlier_terrain_header_file().empty() ||
                   check(LF_TERRAIN, "", database_choice(earlier_terrain_data_file()));
        default: return true;
    }
}

bool earlier_load_can_start(Page page, LoaderFunction function) {
    if (earlier_inputs_ready(function)) return true;
    unit_close_port();
    page_end(page, RESULT_BACK);
    return false;
}
