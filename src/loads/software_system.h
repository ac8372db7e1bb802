#pragma once
// The current-generation system software load, given the transfer page: the
// application, I/O and start-up images, the checksum list and the update
// scripts, one after the other; then the unit is reset into the chosen mode
// (and the program ends) or the technician is asked to reset it. Ends the page
// itself; returns 1 when it stopped on Cancel or on a failed start-up image,
// else 0.
#include "platform/pages.h"

int load_system_software(Page page);
