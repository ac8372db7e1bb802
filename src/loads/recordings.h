#pragma once
// The flight data recording functions of a current-generation unit.
#include "platform/pages.h"

// Asks the unit to delete all its recordings, shows the outcome and returns
// to the setup page. Returns 1.
int erase_recordings(Page page);

// Copies every recording of the unit into its own file in the recordings
// folder, highest index first. 1 when the unit reported recordings, else 0.
int download_recordings(Page page);
