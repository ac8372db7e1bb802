#include "loads/database_protocol.h"

namespace {
constexpr DatabaseTexts terrain{DatabaseKind::terrain,
                                1,
                                512,
                                "SENT ERASE TERRAIN DATABASE COMMAND TO HTAWS!!!\r\n",
                                "Delete Terrain Database command failed.\r\n",
                                "Terrain Database Transfer to HTAWS cancelled.\r\n",
                                "No Loadable Program Image.\nTry again?",
                                "Unable to open TERRAIN HEADER file for transfer.\nTry again?",
                                "Unable to determine TERRAIN HEADER file length.\nTry again?",
                                "Terrain Data Load Successful!\r\n",
                                "** Reset instrument to activate new terrain data\r\n",
                                "** Returning to Setup Dialog momentarily\r\n",
                                "Terrain Data Load Complete",
                                "Unit replied with an error.\nTry again?",
                                false};
constexpr DatabaseTexts navigation{DatabaseKind::navigation,
                                   3,
                                   512,
                                   "SENT ERASE NAVIGATION DATABASE COMMAND TO HTAWS!!!\r\n",
                                   "Delete Navigation Database command failed.\r\n",
                                   "Navigation Database Transfer to HTAWS cancelled.\r\n",
                                   "No Loadable NAV Image.\nTry again?",
                                   "Unable to open NAV file for transfer.\nTry again?",
                                   "Unable to determine NAV file length.\nTry again?",
                                   "NAV Data Load Successful!\r\n",
                                   "** Reset instrument to activate new navigation data\r\n",
                                   "** Returning to Setup Dialog momentarily\r\n",
                                   "NAV Data Load Complete",
                                   "Upload failed. Bad file CRC.\nTry again?",
                                   true};
constexpr DatabaseTexts obstacle{DatabaseKind::obstacle,
                                 2,
                                 512,
                                 "SENT ERASE OBSTACLE DATABASE COMMAND TO HTAWS!!!\r\n",
                                 "Delete Obstacle Database command failed.\r\n",
                                 "Obstacle Database Transfer to HTAWS cancelled.\r\n",
                                 "No Loadable OBS Image.\nTry again?",
                                 "Unable to open OBS file for transfer.\nTry again?",
                                 "Unable to determine OBS file length.\nTry again?",
                                 "OBS Data Load Successful!\r\n",
                                 "** Reset instrument to activate obstacle data.\r\n",
                                 "** Returning to Setup Dialog momentarily.\r\n",
                                 "OBS Data Load Complete",
                                 "Upload failed. Bad file CRC.\nTry again?",
                                 false};
constexpr DatabaseTexts overlay{DatabaseKind::overlay,
                                4,
                                256,
                                "SENT ERASE OVERLAY DATABASE COMMAND TO HTAWS!!!\r\n",
                                "Delete Overlay Database command failed.\r\n",
                                "Overlay Database Transfer to HTAWS cancelled.\r\n",
                                "No Loadable OVLY Image.\nTry again?",
                                "Unable to open OVLY file for transfer.\nTry again?",
                                "Unable to determine OVLY file length.\nTry again?",
                                "OVLY Data Load Successful!\r\n",
                                "** Reset instrument to activate overlay data.\r\n",
                                "** Returning to Setup Dialog momentarily.\r\n",
                                "OVLY Data Load Complete",
                                "Upload failed. Bad file CRC.\nTry again?",
                                false};
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
