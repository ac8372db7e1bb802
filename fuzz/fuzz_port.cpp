// A serial port whose unit sends exactly the fuzz input, then falls silent;
// what the uploader writes is dropped.
#include "fuzz_port.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/serial.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"

struct SerialPort {};

namespace {
struct FuzzPort {
    SerialPort port;
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t next = 0;
};
FuzzPort g_fuzz_port;
}  // namespace

void fuzz_port_feed(const uint8_t* data, std::size_t size) { g_fuzz_port = {{}, data, size, 0}; }

void fuzz_unit_connect(const uint8_t* data, std::size_t size) {
    reset_link_state();
    reset_command_state();
    reset_unit_tables();
    fuzz_port_feed(data, size);
    g_link.port_found = true;
    g_link.port_name = "fuzz";
    if (!unit_open_port()) std::abort();
}

SerialPort* serial_open(const std::string& device) { return device == "fuzz" ? &g_fuzz_port.port : nullptr; }
void serial_close(SerialPort*) {}
bool serial_set_queues(SerialPort*, std::size_t, std::size_t) { return true; }
bool serial_zero_timeouts(SerialPort*) { return true; }
bool serial_purge(SerialPort*) { return true; }
bool serial_clear_errors(SerialPort*) { return true; }
long serial_queued(SerialPort*) { return long(g_fuzz_port.size - g_fuzz_port.next); }

long serial_read(SerialPort*, void* data, std::size_t size) {
    const std::size_t n = std::min(size, g_fuzz_port.size - g_fuzz_port.next);
    if (n) std::memcpy(data, g_fuzz_port.data + g_fuzz_port.next, n);
    g_fuzz_port.next += n;
    return long(n);
}

// Once the input is spent the unit is silent: the wait passes a millisecond
// so that the caller's deadline comes.
long serial_read_within(SerialPort* port, void* data, std::size_t size, unsigned wait_ms) {
    if (wait_ms > 0 && g_fuzz_port.next == g_fuzz_port.size) sleep_ms(1);
    return serial_read(port, data, size);
}

// Not watched: the link looks after every byte.
void serial_watch_input(SerialPort*, bool) {}
bool serial_input_arrived(SerialPort*) { return true; }

long serial_write(SerialPort*, const void*, std::size_t size) { return long(size); }
bool serial_flush(SerialPort*) { return true; }

std::vector<PortInfo> list_serial_ports() { return {{"fuzz", "Gadget Serial (fuzz)"}}; }
