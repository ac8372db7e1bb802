#include "loads/database_protocol.h"

#include <cinttypes>

namespace {
constexpr DatabaseTexts terrain{
    .kind = DatabaseKind::terrain,
    .catalogue = CAT_TERRAIN,
    .delete_number = 1,
    .margin = 512,
    .files = {{
        {.file = {.unit_name = "terrain_database_info.bin",
                  .size_line = "Terrain Header File Load, %" PRIu64 " bytes\r\n",
                  .title = "Terrain Header File Load",
                  .shows_completion = false},
         .integrity_shown = false},
        {.file = {.unit_name = "terrain_database_data.bin",
                  .size_line = "Terrain Data File Load, %" PRIu64 " bytes\r\n",
                  .title = "Terrain Data File Load",
                  .shows_completion = true},
         .integrity_shown = true},
    }},
    .erase_sent = "SENT ERASE TERRAIN DATABASE COMMAND TO HTAWS!!!\r\n",
    .delete_failed = "Delete Terrain Database command failed.\r\n",
    .cancelled = "Terrain Database Transfer to HTAWS cancelled.\r\n",
    .no_candidate = "No Loadable Program Image.\nTry again?",
    .open_failed = "Unable to open TERRAIN HEADER file for transfer.\nTry again?",
    .length_unknown = "Unable to determine TERRAIN HEADER file length.\nTry again?",
    .success = "Terrain Data Load Successful!\r\n",
    .reset_line = "** Reset instrument to activate new terrain data\r\n",
    .returning = "** Returning to Setup Dialog momentarily\r\n",
    .completion_title = "Terrain Data Load Complete",
    .verdict_question = "Unit replied with an error.\nTry again?",
    .honours_error_answer = false,
};
constexpr DatabaseTexts navigation{
    .kind = DatabaseKind::navigation,
    .catalogue = CAT_AIRPORT,
    .delete_number = 3,
    .margin = 512,
    .files = {{
        {.file = {.unit_name = "a424_database.bin",
                  .size_line = "NAV File Load, %" PRIu64 " bytes\r\n",
                  .title = "NAV File Load",
                  .shows_completion = true},
         .integrity_shown = false},
    }},
    .erase_sent = "SENT ERASE NAVIGATION DATABASE COMMAND TO HTAWS!!!\r\n",
    .delete_failed = "Delete Navigation Database command failed.\r\n",
    .cancelled = "Navigation Database Transfer to HTAWS cancelled.\r\n",
    .no_candidate = "No Loadable NAV Image.\nTry again?",
    .open_failed = "Unable to open NAV file for transfer.\nTry again?",
    .length_unknown = "Unable to determine NAV file length.\nTry again?",
    .success = "NAV Data Load Successful!\r\n",
    .reset_line = "** Reset instrument to activate new navigation data\r\n",
    .returning = "** Returning to Setup Dialog momentarily\r\n",
    .completion_title = "NAV Data Load Complete",
    .verdict_question = "Upload failed. Bad file CRC.\nTry again?",
    .honours_error_answer = true,
};
constexpr DatabaseTexts obstacle{
    .kind = DatabaseKind::obstacle,
    .catalogue = CAT_OBSTACLE,
    .delete_number = 2,
    .margin = 512,
    .files = {{
        {.file = {.unit_name = "obstacle_database_data.bin",
                  .size_line = "OBS File Load, %" PRIu64 " bytes\r\n",
                  .title = "OBS File Load",
                  .shows_completion = true},
         .integrity_shown = false},
    }},
    .erase_sent = "SENT ERASE OBSTACLE DATABASE COMMAND TO HTAWS!!!\r\n",
    .delete_failed = "Delete Obstacle Database command failed.\r\n",
    .cancelled = "Obstacle Database Transfer to HTAWS cancelled.\r\n",
    .no_candidate = "No Loadable OBS Image.\nTry again?",
    .open_failed = "Unable to open OBS file for transfer.\nTry again?",
    .length_unknown = "Unable to determine OBS file length.\nTry again?",
    .success = "OBS Data Load Successful!\r\n",
    .reset_line = "** Reset instrument to activate obstacle data.\r\n",
    .returning = "** Returning to Setup Dialog momentarily.\r\n",
    .completion_title = "OBS Data Load Complete",
    .verdict_question = "Upload failed. Bad file CRC.\nTry again?",
    .honours_error_answer = false,
};
constexpr DatabaseTexts overlay{
    .kind = DatabaseKind::overlay,
    .catalogue = CAT_OVERLAY,
    .delete_number = 4,
    .margin = 256,
    .files = {{
        {.file = {.unit_name = "overlay_database_data.bin",
                  .size_line = "OVLY File Load, %" PRIu64 " bytes\r\n",
                  .title = "OVLY File Load",
                  .shows_completion = true},
         .integrity_shown = false},
    }},
    .erase_sent = "SENT ERASE OVERLAY DATABASE COMMAND TO HTAWS!!!\r\n",
    .delete_failed = "Delete Overlay Database command failed.\r\n",
    .cancelled = "Overlay Database Transfer to HTAWS cancelled.\r\n",
    .no_candidate = "No Loadable OVLY Image.\nTry again?",
    .open_failed = "Unable to open OVLY file for transfer.\nTry again?",
    .length_unknown = "Unable to determine OVLY file length.\nTry again?",
    .success = "OVLY Data Load Successful!\r\n",
    .reset_line = "** Reset instrument to activate overlay data.\r\n",
    .returning = "** Returning to Setup Dialog momentarily.\r\n",
    .completion_title = "OVLY Data Load Complete",
    .verdict_question = "Upload failed. Bad file CRC.\nTry again?",
    .honours_error_answer = false,
};
}  // namespace

const DatabaseTexts& database_texts(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::terrain: return terrain;
        case DatabaseKind::navigation: return navigation;
        case DatabaseKind::obstacle: return obstacle;
        case DatabaseKind::overlay: break;
    }
    return overlay;
}
