#pragma once
// The configuration functions as the transfer page runs them: read the unit's
// configuration into the chosen parameter file, or write a parameter file
// (also the HASS and No GAMMA files) to the unit, and report the outcome.
#include "platform/pages.h"

int read_configuration_flow(Page page);
int write_configuration_flow(Page page);
