#include "sim/wire.h"

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "platform/clock.h"
#include "support/sim_port.h"
#include "support/virtual_clock.h"

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes can_burst() { return Bytes(8, 0x18); }

uint32_t raw_register(const Bytes& data) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, data.data(), data.size());
    return reg;
}

Bytes framed_block(char type, const Bytes& payload, uint32_t address, bool stuffed) {
    Bytes out(12);
    out[0] = 0x10;
    out[1] = uint8_t(type);
    put_be16(&out[2], uint16_t(payload.size()));
    put_be32(&out[4], address);
    put_be32(&out[8], raw_register(Bytes(out.begin(), out.begin() + 8)));
    for (uint8_t b : payload) {
        out.push_back(b);
        if (stuffed && b == 0x10) out.push_back(b);
    }
    out.resize(out.size() + 4);
    put_be32(&out[out.size() - 4], raw_register(payload));
    return out;
}

Bytes control_block(uint32_t image_type, const Bytes& body, const std::string& name) {
    Bytes cb(256);
    put_be32(&cb[0], 1);
    put_be32(&cb[4], image_type);
    for (std::size_t i = 0; i < name.size() && i < 31; ++i) cb[8 + i] = uint8_t(name[i]);
    put_be32(&cb[72], 8);
    put_be32(&cb[76], crc_end(raw_register(body)));
    put_be32(&cb[80], uint32_t(body.size()));
    put_be32(&cb[92], 0xFFFFFFFF);
    put_be32(&cb[252], crc_end(raw_register(Bytes(cb.begin(), cb.begin() + 252))));
    // A data-block image goes out with the payload's raw register in place of
    // the final value, the header checksum left as filed.
    if (image_type == 3 || image_type == 5) put_be32(&cb[76], raw_register(body));
    return cb;
}

bool take_packet(Bytes& wire, Packet& packet) {
    if (wire.size() < 12 || wire[0] != 0x10) return false;
    packet.type = char(wire[1]);
    packet.header_ok = raw_register(Bytes(wire.begin(), wire.begin() + 8)) == get_be32(&wire[8]);
    uint32_t length = get_be32(&wire[2]);
    Bytes kept;
    std::size_t i = 12;
    for (; i < wire.size() && kept.size() < length + 4; ++i) {
        if (wire[i] == 0x10 && (i + 1 >= wire.size() || wire[++i] != 0x10)) return false;
        kept.push_back(wire[i]);
    }
    if (kept.size() != length + 4) return false;
    packet.payload.assign(kept.begin(), kept.begin() + length);
    packet.payload_ok = raw_register(packet.payload) == get_be32(&kept[length]);
    wire.erase(wire.begin(), wire.begin() + long(i));
    return true;
}

SimLink::SimLink(SimConfig config) : unit(std::move(config)) {
    virtual_clock_reset(1000);
    sim_port_attach(&unit);
    port = serial_open("sim");
}

SimLink::~SimLink() {
    serial_close(port);
    sim_port_attach(nullptr);
}

long SimLink::send(const Bytes& bytes) { return serial_write(port, bytes.data(), bytes.size()); }

Bytes SimLink::read_after(uint32_t ms) {
    sleep_ms(ms);
    long n = serial_queued(port);
    Bytes out(n > 0 ? std::size_t(n) : 0);
    if (n > 0) serial_read(port, out.data(), out.size());
    return out;
}

std::string SimLink::text_after(uint32_t ms) {
    Bytes b = read_after(ms);
    return std::string(b.begin(), b.end());
}

std::string SimLink::load(const Bytes& control, const Bytes& body) {
    send("P\r");
    std::string replies = text_after(1000);
    send(framed_block('C', control, 0, true));
    replies += text_after(1000);
    send(body);
    return replies + text_after(2000);
}

bool SimLink::noted(const std::string& text) const {
    for (const SimEvent& e : unit.transcript())
        if (e.kind == SimEvent::note && e.text.find(text) != std::string::npos) return true;
    return false;
}
