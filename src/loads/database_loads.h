#pragma once
// The current-generation database loads, each given the transfer page. Each
// ends the page itself and returns 1 when it stopped on Cancel, on the
// technician's No or after resetting the unit, else 0.
#include "platform/pages.h"

int load_terrain_database(Page page);
int load_nav_database(Page page);
int load_obstacle_database(Page page);
int load_overlay_database(Page page);
