#pragma once
// Finding the unit's "Gadget Serial" port among the system's serial ports.
#include <string>

struct SerialPort;
struct PortInfo;

// A port the unit may be on: a "Gadget Serial" port, and with g_link.only_port
// set, that device.
bool is_unit_port(const PortInfo& port);

// One pass over the system's ports: the first whose description contains
// "Gadget Serial" and that opens (exclusively) wins; it is returned open and
// its device name written to `name`. nullptr when none. With
// g_link.only_port set, only that device is considered.
SerialPort* find_gadget_port(std::string& name);
// True when a pass found and opened a port (closed again at once).
[[nodiscard]] bool probe_gadget_port(std::string& name);
// The search before every conversation: up to three passes. True found
// (port_found and current_link_seen set, port_name written), false not found
// (port_found cleared).
[[nodiscard]] bool locate_unit_port();
// True while the system still lists the port the unit was last found on; a
// pulled cable takes a USB port off the list.
bool unit_port_listed();
