#pragma once
// The flight data recording functions of a current-generation unit.
#include "platform/pages.h"

// Asks the unit to delete all its recordings, shows the outcome and returns
// to the setup page. Returns 1.
int erase_recordings(Page page);
