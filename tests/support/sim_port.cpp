#include "support/sim_port.h"

#include <optional>

#include "platform/clock.h"
#include "platform/serial.h"

struct SerialPort {};

namespace {
struct SimPortState {
    SimUnit* unit = nullptr;
    SerialPort port;
    bool open = false;
    bool flush_fails = false;
    uint32_t write_ms_per_byte = 0;
    std::optional<std::vector<PortInfo>> ports;
    std::vector<std::string> anomalies;  // of the units detached since the last finish
    std::vector<std::string> expected;
};
SimPortState g_sim_port;

// The open port's unit while its cable is in; null otherwise.
SimUnit* live_unit(SerialPort* port) {
    if (port != &g_sim_port.port || !g_sim_port.open || !g_sim_port.unit) return nullptr;
    return g_sim_port.unit->connected() ? g_sim_port.unit : nullptr;
}
}  // namespace

void sim_port_attach(SimUnit* unit) {
    if (g_sim_port.unit && g_sim_port.unit != unit)
        for (std::string& a : g_sim_port.unit->anomalies()) g_sim_port.anomalies.push_back(std::move(a));
    g_sim_port.unit = unit;
    g_sim_port.open = false;
    g_sim_port.flush_fails = false;
    g_sim_port.write_ms_per_byte = 0;
}

void sim_port_fail_flushes(bool fail) { g_sim_port.flush_fails = fail; }

void sim_port_slow_writes(uint32_t ms_per_byte) { g_sim_port.write_ms_per_byte = ms_per_byte; }

void sim_ports_set(std::vector<PortInfo> ports) { g_sim_port.ports = std::move(ports); }

void sim_ports_reset() { g_sim_port.ports.reset(); }

bool sim_port_is_open() { return g_sim_port.open; }

std::vector<PortInfo> list_serial_ports() {
    if (g_sim_port.ports) return *g_sim_port.ports;
    // A unit whose cable was pulled is off the list, as a USB port is.
    if (!g_sim_port.unit || !g_sim_port.unit->connected()) return {};
    return {{"sim", "Gadget Serial (simulated)"}};
}

SerialPort* serial_open(const std::string& device) {
    if (device != "sim" || g_sim_port.open || !g_sim_port.unit || !g_sim_port.unit->connected()) return nullptr;
    g_sim_port.open = true;
    return &g_sim_port.port;
}

void serial_close(SerialPort* port) {
    if (port == &g_sim_port.port) g_sim_port.open = false;
}

bool serial_set_queues(SerialPort* port, std::size_t, std::size_t) { return live_unit(port) != nullptr; }

bool serial_zero_timeouts(SerialPort* port) { return live_unit(port) != nullptr; }

bool serial_purge(SerialPort* port) {
    SimUnit* unit = live_unit(port);
    if (!unit) return false;
    unit->discard(now_ms());
    return true;
}

bool serial_clear_errors(SerialPort* port) { return live_unit(port) != nullptr; }

long serial_queued(SerialPort* port) {
    SimUnit* unit = live_unit(port);
    return unit ? long(unit->available(now_ms())) : -1;
}

long serial_read(SerialPort* port, void* data, std::size_t size) {
    SimUnit* unit = live_unit(port);
    return unit ? long(unit->take(static_cast<uint8_t*>(data), size, now_ms())) : -1;
}

// Waits on the virtual clock in steps of 1 ms, as a driver that delivers
// bytes as they come.
long serial_read_within(SerialPort* port, void* data, std::size_t size, unsigned wait_ms) {
    SimUnit* unit = live_unit(port);
    if (!unit) return -1;
    if (wait_ms > 0 && unit->available(now_ms()) == 0) sleep_ms(1);
    return serial_read(port, data, size);
}

// Not watched: the link looks after every byte, as it does where the system
// cannot watch.
void serial_watch_input(SerialPort*, bool) {}
bool serial_input_arrived(SerialPort*) { return true; }

long serial_write(SerialPort* port, const void* data, std::size_t size) {
    SimUnit* unit = live_unit(port);
    if (!unit) return -1;
    sleep_ms(uint32_t(size) * g_sim_port.write_ms_per_byte);
    unit->receive(static_cast<const uint8_t*>(data), size, now_ms());
    return unit->connected() ? long(size) : -1;
}

bool serial_flush(SerialPort* port) { return live_unit(port) != nullptr && !g_sim_port.flush_fails; }

void sim_port_expect_anomaly(std::string text) { g_sim_port.expected.push_back(std::move(text)); }

std::string sim_port_finish() {
    sim_port_attach(nullptr);
    std::vector<std::string> anomalies, expected;
    anomalies.swap(g_sim_port.anomalies);
    expected.swap(g_sim_port.expected);
    std::vector<bool> met(expected.size());
    std::string problems;
    for (const std::string& a : anomalies) {
        bool declared = false;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (a.find(expected[i]) != std::string::npos) declared = met[i] = true;
        if (!declared) problems += "the unit saw an anomaly: " + a + "\n";
    }
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (!met[i]) problems += "the declared anomaly never came: " + expected[i] + "\n";
    return problems;
}
