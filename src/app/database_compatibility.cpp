#include "app/database_compatibility.h"

#include <cstdint>
#include <cstdio>

#include "catalogue/earlier_generation_files.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "formats/terrain_file.h"
#include "unit/identity.h"

std::optional<DatabaseCheck> prepared_database_check(LoaderFunction function, int generation) {
    const int map_version = static_cast<int>(map_file_state().map_version);
    const int terrain_version = static_cast<int>(g_terrain_header.t_version);
    const bool terrain = function == LF_TERRAIN || function == LF_TERRAIN_DATA;
    if (generation != current_generation) {
        if (function == LF_AIRPORT) return DatabaseCheck{check_airport_compat_serial, "Map", map_version};
        if (terrain) return DatabaseCheck{check_terrain_compat_serial, "Terrain", terrain_version};
        return std::nullopt;
    }
    if (function == LF_AIRPORT) return DatabaseCheck{check_airport_compat, "Map", map_version};
    if (terrain) return DatabaseCheck{check_terrain_compat, "Terrain", terrain_version};
    if (function == LF_OBSTACLE)
        return DatabaseCheck{check_obstacle_compat, "Obstacle", static_cast<int>(obstacle_file_state().db_version)};
    if (function == LF_OVERLAY)
        return DatabaseCheck{check_overlay_compat, "Overlay", static_cast<int>(overlay_file_state().db_version)};
    return std::nullopt;
}

std::string earlier_map_overflow() {
    const int64_t available = int64_t(p_table_word(P_MAP_END)) - int64_t(p_table_word(P_MAP_START));
    if (earlier_airport_size() <= available) return {};
    char text[128];
    std::snprintf(text, sizeof text, "Map size [ %d ] exceeds available memory [ %d ] !",
                  static_cast<int>(earlier_airport_size()), static_cast<int>(available));
    return text;
}
