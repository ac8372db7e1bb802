#pragma once
// Port enumeration: every serial port the system lists, with its descriptive
// (friendly) name.
#include <string>
#include <vector>

struct PortInfo {
    std::string device;       // name to open: "\\.\COM7", "/dev/ttyGS0", a pty path
    std::string description;  // "Gadget Serial (COM7)", "Gadget Serial v2.4", ...
};

std::vector<PortInfo> list_serial_ports();
