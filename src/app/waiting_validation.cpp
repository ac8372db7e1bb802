#include "app/waiting_validation.h"

#include <cstdio>
#include <string>

#include "app/page_loop.h"
#include "catalogue/earlier_generation_files.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "formats/terrain_file.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/log.h"
#include "platform/window.h"
#include "unit/identity.h"

namespace {
struct DatabaseCheck {
    int (*compatible)(int version);
    const char* kind;  // "Map", "Terrain", ...
    const char* setup_answer;
};

void log_serial(PTableField field) {
    if (!g_unit_tables.p_table.valid) return;
    g_unit.unit_number = p_table_word(field);
    char text[64];
    std::snprintf(text, sizeof text, "Serial Number From Unit:%x", static_cast<unsigned>(g_unit.unit_number));
    log_write(text);
}

// Asks the mismatch question; true for Yes.
bool mismatch_answered_yes(const char* kind, const char* last_line) {
    const std::string told = std::string(kind) + " compatibility Mis-match\r\nNew Program Must be Loaded First!";
    const bool yes =
        message_box(told + "\r\n" + last_line, "Error", BoxButtons::yes_no, BoxIcon::error) == BOX_YES;
    log_write(told);
    return yes;
}

int validate_current(LoaderFunction function) {
    log_serial(P_UNIT_NUMBER);
    DatabaseCheck check{};
    int version = 0;
    switch (function) {
        case LF_AIRPORT:
            check = {check_airport_compat, "Map", "Return to Setup(YES) or Quit (NO)"};
            version = static_cast<int>(map_file_state().map_version);
            break;
        case LF_TERRAIN:
        case LF_TERRAIN_DATA:
            check = {check_terrain_compat, "Terrain", "Return to Setup (YES) or Quit (NO)"};
            version = static_cast<int>(g_terrain_header.t_version);
            break;
        case LF_OBSTACLE:
            check = {check_obstacle_compat, "Obstacle", "Return to Setup (YES) or Quit (NO)"};
            version = static_cast<int>(obstacle_file_state().db_version);
            break;
        case LF_OVERLAY:
            check = {check_overlay_compat, "Overlay", "Return to Setup (YES) or Quit (NO)"};
            version = static_cast<int>(overlay_file_state().db_version);
            break;
        default: return RESULT_NEXT;
    }
    if (check.compatible(version)) {
        log_write(std::string(check.kind) + " compatibility Matched!");
        return RESULT_NEXT;
    }
    return mismatch_answered_yes(check.kind, check.setup_answer) ? RESULT_BACK : RESULT_QUIT;
}

int validate_earlier(LoaderFunction function) {
    log_serial(P_OBSTACLE_MASK);
    const char* still = "Do you Still want to upload?";
    if (function == LF_AIRPORT) {
        if (check_airport_compat_serial(static_cast<int>(map_file_state().map_version)))
            log_write("Map compatibility Matched!");
        else if (!mismatch_answered_yes("Map", still))
            return RESULT_SETUP;
        const int64_t available = int64_t(p_table_word(P_MAP_END)) - int64_t(p_table_word(P_MAP_START));
        if (earlier_airport_size() > available) {
            char text[128];
            std::snprintf(text, sizeof text, "Map size [ %d ] exceeds available memory [ %d ] !",
                          static_cast<int>(earlier_airport_size()), static_cast<int>(available));
            message_box(text, "Error", BoxButtons::ok, BoxIcon::error);
            log_write(text);
            return RESULT_SETUP;
        }
    } else if (function == LF_TERRAIN || function == LF_TERRAIN_DATA) {
        if (check_terrain_compat_serial(static_cast<int>(g_terrain_header.t_version)))
            log_write("Terrain compatibility Matched!");
        else if (!mismatch_answered_yes("Terrain", still))
            return RESULT_SETUP;
    }
    return RESULT_NEXT;
}
}  // namespace

int validate_unit(LoaderFunction function) {
    log_write("Validating Information");
    return g_link.port_found ? validate_current(function) : validate_earlier(function);
}
