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

#ifndef _WIN32
// The two Linux sources of the list. USB serial functions under a sysfs root
// ("/sys"; tests pass a small fake tree), described by their USB device's
// product string, devices "/dev/NAME".
std::vector<PortInfo> list_sysfs_ports(const std::string& sysfs_root);
// Symbolic links in `folder` named by their description and pointing at their
// device; nothing unless the folder is the user's own and nobody else may write
// to it.
std::vector<PortInfo> list_virtual_ports(const std::string& folder);
// The links the package's udev rule makes for a unit ("htaws-unit",
// "htaws-unit-N") in `dev_folder`, described as "Gadget Serial (htaws-unit-N)",
// leaving out those whose device is already one of `listed`, so that a unit is
// found once whether sysfs or only the link shows it.
std::vector<PortInfo> list_unit_links(const std::string& dev_folder, const std::vector<PortInfo>& listed);
// "/tmp/htaws-ports-<uid>", where simulated units register their pseudo-terminals.
std::string virtual_ports_folder();
#endif
