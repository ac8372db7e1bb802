#include "link/discovery.h"

#include "link/responsive_wait.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/serial.h"

namespace {
constexpr int search_passes = 3;
constexpr uint32_t settle_ms = 100;
constexpr uint32_t pass_retry_ms = 250;
}  // namespace

bool is_unit_port(const PortInfo& port) {
    return port.description.find("Gadget Serial") != std::string::npos &&
           (g_link.only_port.empty() || port.device == g_link.only_port);
}

SerialPort* find_gadget_port(std::string& name) {
    for (const PortInfo& port : list_serial_ports()) {
        if (!is_unit_port(port)) continue;
        // A port another program holds does not open; the next one may.
        if (SerialPort* handle = serial_open(port.device)) {
            name = port.device;
            return handle;
        }
    }
    return nullptr;
}

bool probe_gadget_port(std::string& name) {
    SerialPort* handle = find_gadget_port(name);
    if (!handle) return false;
    serial_close(handle);
    return true;
}

bool locate_unit_port() {
    wait_responsive(settle_ms);
    std::string name;
    for (int pass = 0; pass < search_passes; ++pass) {
        if (probe_gadget_port(name)) {
            g_link.port_name = name;
            g_link.port_found = true;
            g_link.current_link_seen = true;
            return true;
        }
        wait_responsive(pass_retry_ms);
    }
    g_link.port_found = false;
    return false;
}

bool unit_port_listed() {
    for (const PortInfo& port : list_serial_ports())
        if (port.device == g_link.port_name) return !port.device.empty();
    return false;
}
