#pragma once
// The offer a database load makes when the unit's file system is out of
// space: erase the unit's database of that kind and restart the unit in
// flight or maintenance mode, or load nothing.
#include "loads/database_kind.h"
#include "platform/page_layout.h"

inline constexpr int ERASE_TERRAIN_DIALOG = 107;
inline constexpr int ERASE_OBSTACLE_DIALOG = 108;
inline constexpr int ERASE_NAVIGATION_DIALOG = 109;
inline constexpr int ERASE_OVERLAY_DIALOG = 110;

const PageLayout& erase_dialog_layout(DatabaseKind kind);
// Shows the kind's dialog. Returns the reset mode chosen (0 flight, 1
// maintenance; the setup page keeps it too): the database is to be erased.
// -1: nothing is to be erased or reset.
int offer_erase_dialog(DatabaseKind kind);
