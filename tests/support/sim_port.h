#pragma once
// The in-process port: the serial and port-enumeration seams served by a
// SimUnit on the virtual clock, for tests of the link and everything above it.
// The device name is "sim"; it opens while a unit is attached and connected,
// and fails like a vanished device once the unit's cable is pulled.
#include <vector>

#include "platform/ports.h"
#include "sim/sim_unit.h"

// Attaches the unit the port talks to (nullptr detaches and closes the port).
void sim_port_attach(SimUnit* unit);
// The ports list_serial_ports reports; by default {"sim", "Gadget Serial
// (simulated)"} while a unit is attached, nothing otherwise.
void sim_ports_set(std::vector<PortInfo> ports);
void sim_ports_reset();
// True while the port is open.
bool sim_port_is_open();
