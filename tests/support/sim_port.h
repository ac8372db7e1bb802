#pragma once
// The in-process port: the serial and port-enumeration seams served by a
// SimUnit on the virtual clock, for tests of the link and everything above it.
// The device name is "sim"; it opens while a unit is attached and connected,
// and fails like a vanished device once the unit's cable is pulled.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "sim/sim_unit.h"

// Attaches the unit the port talks to (nullptr detaches and closes the port).
// The unit attached before must still exist: its anomalies are gathered now.
void sim_port_attach(SimUnit* unit);
// The ports list_serial_ports reports; by default {"sim", "Gadget Serial
// (simulated)"} while a unit is attached, nothing otherwise.
void sim_ports_set(std::vector<PortInfo> ports);
void sim_ports_reset();
// True while the port is open.
bool sim_port_is_open();
// A driver whose output does not drain: every flush fails, the written bytes
// taken or not (until the next attach).
void sim_port_fail_flushes(bool fail);
// A slow line: every write takes this long per byte before the unit has it
// (until the next attach).
void sim_port_slow_writes(uint32_t ms_per_byte);

// Every test that runs the uploader against the in-process unit ends clean:
// the units it attached recorded no anomaly beyond those it declared.
// Declares an anomaly the running test provokes on purpose, by a piece of its text.
void sim_port_expect_anomaly(std::string text);
// Detaches the unit and names each anomaly of the units attached since the
// last call that no declaration matches, and each declaration no anomaly
// matched, one a line; empty when clean. The declarations are cleared.
std::string sim_port_finish();
