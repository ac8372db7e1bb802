#pragma once
// What the uploader puts on the wire and reads back, built here by hand so the
// simulated unit is tested independently of the link layer.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial.h"
#include "sim/sim_unit.h"

using Bytes = std::vector<uint8_t>;

Bytes bytes_of(const std::string& text);
Bytes can_burst();
// A framed block: DLE, type, length, address, header check, payload (DLE
// doubled when `stuffed`), payload check.
Bytes framed_block(char type, const Bytes& payload, uint32_t address, bool stuffed);
// A 256-byte control block for a body as the uploader sends it: image type,
// payload checksum (the raw register for data-block images) and length, hdr_crc.
Bytes control_block(uint32_t image_type, const Bytes& body, const std::string& name);
// The load checksum register over `data`, before the final step.
uint32_t raw_register(const Bytes& data);

struct Packet {
    char type = 0;
    Bytes payload;
    bool header_ok = false;
    bool payload_ok = false;
};
// Reads one packet from the start of `wire`; the bytes it used are removed.
bool take_packet(Bytes& wire, Packet& packet);

// The in-process port to one simulated unit on the virtual clock.
class SimLink {
public:
    explicit SimLink(SimConfig config = {});
    ~SimLink();
    SimUnit unit;
    SerialPort* port = nullptr;

    long send(const Bytes& bytes);
    long send(const std::string& text) { return send(bytes_of(text)); }
    // Everything readable after `ms` more milliseconds.
    Bytes read_after(uint32_t ms);
    std::string text_after(uint32_t ms);
    // Sends "P", the control block and the body with the uploader's pauses; returns every reply.
    std::string load(const Bytes& control, const Bytes& body);
    bool noted(const std::string& text) const;
};
