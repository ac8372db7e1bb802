#pragma once
// Clears every module state between the uploader and the unit, so that each
// test starts with no port, no tables and no identity.
#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/status.h"
#include "unit/identity.h"
#include "unit/model.h"

inline void reset_unit_link_state() {
    reset_link_state();
    reset_command_state();
    reset_unit_tables();
    reset_unit_identity();
    reset_model_state();
    reset_status_state();
}
