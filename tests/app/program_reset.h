#pragma once
// Every module of the program as at its start, on the virtual clock, with the
// in-process port and no unit attached.
#include "app/status_box.h"
#include "app/transfer_page.h"
#include "app/transfer_routes.h"
#include "catalogue/setup_entry.h"
#include "setup/setup_page.h"
#include "support/sim_port.h"
#include "support/unit_link_reset.h"
#include "support/virtual_clock.h"

inline void reset_program_state() {
    virtual_clock_reset(1000000);
    reset_unit_link_state();
    status_detach();
    catalogue_module_reset();
    setup_page_reset();
    use_transfer_routes({});
    sim_ports_reset();
    sim_port_attach(nullptr);
}
