#pragma once
// The transfer procedures for earlier-generation units: airport data and the
// two terrain phases over the block protocol, and system software from the
// ".hex" image. Each is given the transfer page.
#include "platform/pages.h"

// Returns 1 in every case; the page stays open after a completed load.
int load_airport_serial(Page page);
// The terrain header phase: 0 when it completed (the page stays open for the
// data phase), 1 after a failure the technician was told of, -1 after a file
// or memory error shown in a box.
int load_terrain_serial_header(Page page);
// The terrain data phase: 0 when it completed and ended the page, else as
// the header phase.
int load_terrain_serial_data(Page page);
// Returns 1 in every case; the page stays open after a completed load.
int load_system_software_serial(Page page);
