#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "sim/sim_state.h"

namespace {
constexpr uint64_t control_block_wait_ms = 30000;  // the uploader may ask the technician first
constexpr uint64_t body_idle_ms = 5000;            // well inside the uploader's wait for the verdict
constexpr std::size_t image_block_max = 1024;      // a data block of an image fills at most one flash buffer

bool current(const SimState& s) { return s.config.generation == 4; }

void start_load(SimState& s, const std::string& mode) {
    s.load = SimLoad{};
    s.load.mode = mode;
    s.load_open = true;
    s.expected = 0;
    s.load_fault.clear();
    s.paced = 0;
    s.can_run = 0;
    s.staged.clear();
    crc_begin(s.body_reg);
}

std::string hex_address(uint32_t address) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(address));
    return text;
}

std::string id_text(const std::vector<uint8_t>& block) {
    std::string text;
    for (std::size_t i = 8; i < 40 && block[i]; ++i) text += block[i] >= 0x20 && block[i] < 0x7F ? char(block[i]) : '?';
    return text;
}

void refuse_load(SimState& s, const std::string& why) {
    sim_refuse(s, "ERR: ", why);
    sim_finish_load(s, false, why);
}

// The fault injected as the body's last byte arrives, while the sender still writes.
void body_complete(SimState& s) {
    if (s.config.faults.err_during_body) sim_send_line(s, "ERR: write fault");
}

void verdict(SimState& s, bool checksum_ok) {
    s.load.checksum = crc_end(s.body_reg);
    if (!s.load_fault.empty()) return refuse_load(s, s.load_fault);
    if (!checksum_ok) return refuse_load(s, "load checksum mismatch");
    sim_send_line(s, "OK");
    sim_finish_load(s, true, "accepted");
}

// The raw body is judged once the line has fallen quiet, so that bytes the
// sender wrote past the announced length are seen.
void end_raw_body(SimState& s) {
    body_complete(s);
    s.mode = SimMode::body_end;
}

// The control block holds only the low 32 bits of a body's length. A body of
// more than 4 GiB is told apart from bytes sent past the announced length by
// how it goes on: bytes keep coming without the line falling quiet at the
// announced length, and the count when it does fall quiet is the announced
// length plus whole multiples of 4 GiB. The whole-file checksum, taken over
// every byte, then decides as for any body; any other count is refused with
// the exact number of bytes past the announced length.
void raw_body_verdict(SimState& s) {
    sim_event(s, SimEvent::received, "body " + std::to_string(s.load.length) + " bytes");
    const uint64_t past = s.load.length - s.expected;
    if (past % (uint64_t(1) << 32) != 0)
        return refuse_load(s, std::to_string(past) + " bytes past the announced body length");
    verdict(s, crc_end(s.body_reg) == get_be32(&s.load.control_block[76]));
}

// Bytes of a raw body, before or after its announced length.
void raw_bytes(SimState& s, const uint8_t* bytes, std::size_t n) {
    sim_add_body(s, s.load.length, bytes, n);
    const long err_at = s.config.faults.err_at_body_byte;
    if (err_at >= 0 && s.load.length == uint64_t(err_at)) sim_send_line(s, "ERR: write fault");
    if (s.mode == SimMode::raw_body && s.load.length == s.expected) end_raw_body(s);
}

// The image loads send their payload in data blocks and the raw checksum
// register in place of the header's final value. The unit judges the image
// once the staged baud command that ends it has come.
void end_data_blocks(SimState& s) {
    body_complete(s);
    verdict(s, s.body_reg == get_be32(&s.load.control_block[76]));
}

bool data_block_image(uint32_t image_type) { return image_type == 3 || image_type == 5; }

constexpr std::string_view staged_command = "BR 115200\r";

std::string printable(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7F) text += c;
        else text += c == '\r' ? "\\r" : "?";
    }
    return text;
}

// After the payload: the bytes of the uploader's staging file.
void staged_byte(SimState& s, uint8_t byte) {
    sim_pace(s);
    s.staged += char(byte);
    if (staged_command.substr(0, s.staged.size()) != s.staged)
        return refuse_load(s, "staged bytes \"" + printable(s.staged) + "\" are not the baud command");
    if (s.staged.size() < staged_command.size()) return;
    sim_event(s, SimEvent::received, "staged " + printable(s.staged));
    sim_link_speed(s, "115200");
    end_data_blocks(s);
}

bool awaiting_staged_bytes(const SimState& s) {
    return current(s) && s.mode == SimMode::data_blocks && s.load.length >= s.expected;
}

// The header as the image file holds it: a data-block image's payload
// checksum arrives negated, and the header checksum covers the stored value.
uint32_t header_checksum(const std::vector<uint8_t>& cb) {
    std::array<uint8_t, 252> header;
    std::copy(cb.begin(), cb.begin() + 252, header.begin());
    if (data_block_image(get_be32(&cb[4]))) put_be32(&header[76], 0u - get_be32(&header[76]));
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, header.data(), header.size());
    return crc_end(reg);
}

// Current generation: the image types each load mode takes.
bool mode_takes(const std::string& mode, uint32_t image_type) {
    if (mode == "P") return image_type >= 1 && image_type <= 5;
    return image_type == 2;
}

// A database's control block: the fields a unit checks before it takes the
// file under one of its database names. Empty when they are sound.
std::string database_block_fault(const std::vector<uint8_t>& cb) {
    static const char* const names[] = {"terrain_database_info.bin", "terrain_database_data.bin",
                                        "obstacle_database_data.bin", "a424_database.bin",
                                        "overlay_database_data.bin"};
    if (get_be32(&cb[0]) != 1) return "database block format " + std::to_string(get_be32(&cb[0]));
    if (get_be32(&cb[72]) != 8) return "database release " + std::to_string(get_be32(&cb[72]));
    if (get_be32(&cb[92]) != 0xFFFFFFFF) return "database block with an embedded checksum offset";
    if (cb[71] != 0) return "database version text not ended within 32 bytes";
    if (get_be16(&cb[86]) > 999) return "database version split " + std::to_string(get_be16(&cb[86])) + " above 999";
    const std::string name(reinterpret_cast<const char*>(&cb[8]), strnlen(reinterpret_cast<const char*>(&cb[8]), 32));
    for (const char* known : names)
        if (name == known) return {};
    return "no database is stored as \"" + name + "\"";
}

void control_block(SimState& s, const SimFrame& frame) {
    if (frame.type != 'C') return refuse_load(s, "a control block was expected");
    const std::vector<uint8_t>& cb = frame.payload;
    if (!frame.payload_ok) return refuse_load(s, "control block check mismatch");
    if (cb.size() != 256) return refuse_load(s, "control block of " + std::to_string(cb.size()) + " bytes");
    if (s.block_early) return refuse_load(s, "control block before the mode's OK was read");
    if (frame.address != 0) return refuse_load(s, "control block at address " + hex_address(frame.address) + ", not 0");
    s.load.control_block = cb;
    s.load.name = id_text(cb);
    if (!current(s)) {
        const std::string fault = sim_earlier_control_fault(s, cb);
        if (!fault.empty()) return refuse_load(s, fault);
        s.mode = SimMode::data_blocks;
        return;
    }
    if (header_checksum(cb) != get_be32(&cb[252])) return refuse_load(s, "control block checksum mismatch");
    uint32_t image_type = get_be32(&cb[4]);
    if (!mode_takes(s.load.mode, image_type))
        return refuse_load(s, "image type " + std::to_string(image_type) + " in load mode " + s.load.mode);
    if (image_type == 2) {
        const std::string fault = database_block_fault(cb);
        if (!fault.empty()) return refuse_load(s, fault);
    }
    if (const std::string fault = sim_image_block_fault(s.config, cb); !fault.empty()) return refuse_load(s, fault);
    sim_send_line(s, s.config.faults.garbled_block_answer ? "0K" : "OK");
    s.expected = get_be32(&cb[80]);
    if (data_block_image(image_type)) {
        s.mode = SimMode::data_blocks;
        return;
    }
    s.mode = SimMode::raw_body;
    // Nothing to wait for: bytes after an empty body are the next command.
    if (s.expected > 0) return;
    body_complete(s);
    raw_body_verdict(s);
}

void data_block(SimState& s, const SimFrame& frame) {
    if (frame.type != 'D') {
        s.load_fault = "unexpected block type";
        return;
    }
    if (!frame.payload_ok && s.load_fault.empty()) s.load_fault = "data block check mismatch";
    if (frame.address != s.load.length && s.load_fault.empty()) s.load_fault = "data block at an unexpected address";
    if (frame.address + frame.payload.size() > s.expected && s.load_fault.empty())
        s.load_fault = "data block past the announced body length";
    if (frame.payload.size() > image_block_max && s.load_fault.empty())
        s.load_fault = "data block of " + std::to_string(frame.payload.size()) + " bytes, over 1024";
    sim_add_body(s, frame.address, frame.payload.data(), frame.payload.size());
    const long err_at = s.config.faults.err_at_body_byte;
    if (err_at >= 0 && s.load.length >= uint64_t(err_at) && s.load.length - frame.payload.size() < uint64_t(err_at))
        sim_send_line(s, "ERR: write fault");
}

void frame_byte(SimState& s, uint8_t byte) {
    if (!s.frame.active()) {
        if (byte != DLE && awaiting_staged_bytes(s)) return staged_byte(s, byte);
        if (byte != DLE) return sim_line_byte(s, byte);
        if (s.mode == SimMode::control_block && current(s)) s.block_early = s.out_removed < s.mode_ok_end;
        s.frame.start(!current(s));
        sim_pace(s);
        return;
    }
    sim_pace(s);
    FrameReader::Step step = s.frame.feed(byte);
    if (step == FrameReader::Step::more) return;
    const SimFrame& f = s.frame.frame();
    if (step == FrameReader::Step::failed) {
        sim_note(s, "block refused: " + s.frame.failure());
        s.resync = true;
        if (s.mode == SimMode::control_block) return refuse_load(s, s.frame.failure());
        if (current(s)) s.load_fault = s.frame.failure();
        else sim_earlier_block(s, f, s.frame.failure());
        return;
    }
    char summary[64];
    std::snprintf(summary, sizeof summary, "%c block %zu bytes at 0x%08X", f.type, f.payload.size(), unsigned(f.address));
    sim_event(s, SimEvent::received, f.type == 'C' || f.type == 'D' ? summary : std::string("marker ") + char(f.type));
    if (s.mode == SimMode::control_block) control_block(s, f);
    else if (current(s)) data_block(s, f);
    else sim_earlier_block(s, f, "");
}

void test_stream_byte(SimState& s, uint8_t byte) {
    sim_pace(s);
    if (byte == CAN) {
        if (++s.can_run < 8) return;
        s.can_run = 0;
        s.load.checksum = crc_end(s.body_reg);
        sim_event(s, SimEvent::received, "test stream " + std::to_string(s.load.length) + " bytes");
        sim_finish_load(s, s.load_fault.empty(), s.load_fault.empty() ? "accepted" : s.load_fault);
        sim_wake(s);
        return;
    }
    for (; s.can_run > 0; --s.can_run) sim_add_body(s, s.load.length, &CAN, 1);
    sim_add_body(s, s.load.length, &byte, 1);
    const long err_at = s.config.faults.err_at_body_byte;
    if (err_at >= 0 && s.load.length == uint64_t(err_at)) {
        s.load_fault = "write fault";
        sim_send_line(s, "ERR: write fault");
    }
}
}  // namespace

void sim_add_body(SimState& s, uint64_t offset, const uint8_t* bytes, std::size_t n) {
    const uint64_t keep = s.config.keep_load_bytes;
    if (offset < keep) {
        const std::size_t kept = std::size_t(std::min<uint64_t>(n, keep - offset));
        if (s.load.data.size() < offset + kept) s.load.data.resize(offset + kept);
        std::copy(bytes, bytes + kept, s.load.data.begin() + long(offset));
    }
    crc_add_span(s.body_reg, bytes, n);
    s.load.length += n;
}

std::size_t sim_take_raw_run(SimState& s, const uint8_t* bytes, std::size_t n) {
    if (s.mode != SimMode::raw_body && s.mode != SimMode::body_end) return 0;
    uint64_t run = n;
    const uint32_t nak_every = s.config.pacing.nak_every;
    if (nak_every) {
        if (s.paced + 1 >= nak_every) return 0;
        run = std::min<uint64_t>(run, nak_every - 1 - s.paced);
    }
    if (s.mode == SimMode::raw_body) run = std::min(run, s.expected - s.load.length);
    const long err_at = s.config.faults.err_at_body_byte;
    if (err_at >= 0 && uint64_t(err_at) > s.load.length) run = std::min(run, uint64_t(err_at) - s.load.length);
    if (nak_every) s.paced += run;
    raw_bytes(s, bytes, std::size_t(run));
    return std::size_t(run);
}

void sim_enter_mode(SimState& s, const std::string& mode) {
    if (s.config.faults.refused_modes.find(mode) != std::string::npos) return sim_send_line(s, "NO: mode refused");
    start_load(s, mode);
    s.mode = SimMode::control_block;
    if (current(s)) sim_send_line(s, "OK");
    s.mode_ok_end = s.out_total;
}

void sim_lose_byte(SimState& s) {
    if (s.mode != SimMode::raw_body && s.mode != SimMode::body_end) return;
    // The position is counted, the byte is not there: the checksum fails.
    if (s.load.length < s.config.keep_load_bytes && s.load.data.size() <= s.load.length)
        s.load.data.resize(s.load.length + 1);
    if (++s.load.length == s.expected && s.mode == SimMode::raw_body) end_raw_body(s);
}

void sim_body_settled(SimState& s) { raw_body_verdict(s); }

void sim_start_test_stream(SimState& s) {
    if (s.config.faults.refused_modes.find("PT") != std::string::npos) return sim_send_line(s, "NO: mode refused");
    start_load(s, "PT");
    s.mode = SimMode::test_stream;
    sim_send_line(s, "OK: Entering TSTBLK mode");
}

void sim_load_byte(SimState& s, uint8_t byte) {
    switch (s.mode) {
    case SimMode::raw_body:
    case SimMode::body_end:
        sim_pace(s);
        return raw_bytes(s, &byte, 1);
    case SimMode::test_stream:
        return test_stream_byte(s, byte);
    default:
        return frame_byte(s, byte);
    }
}

void sim_pace(SimState& s) {
    const SimPacing& p = s.config.pacing;
    if (!p.nak_every || ++s.paced < p.nak_every || s.now < s.busy_until) return;
    s.paced = 0;
    s.held = 0;
    uint32_t naks = std::max<uint32_t>(p.naks_per_pause, 1);
    sim_send(s, {NAK}, "<NAK>");
    s.busy_from = s.last_ready;
    if (p.chatter_ms) {
        constexpr uint32_t chatter_for_ms = 60000;
        for (uint32_t t = p.chatter_ms; t <= chatter_for_ms; t += p.chatter_ms) sim_send_line(s, "BUSY", t);
        s.busy_until = s.last_ready + 3600000;
        return;
    }
    for (uint32_t k = 1; k < naks; ++k) sim_send(s, {NAK}, "<NAK>", k * p.busy_ms / naks);
    sim_send(s, {ACK}, "<ACK>", p.busy_ms);
    s.busy_until = s.last_ready;
}

void sim_load_idle(SimState& s) {
    uint64_t quiet_since = std::max(s.last_byte_at, s.busy_until);
    uint64_t idle = s.now - std::min(s.now, quiet_since);
    if (s.frame.active() && idle >= body_idle_ms) {
        s.frame.stop();
        sim_note(s, "block abandoned after " + std::to_string(idle) + " ms without a byte");
    }
    if (s.mode == SimMode::control_block && idle >= control_block_wait_ms) {
        sim_note(s, "no control block came");
        s.mode = SimMode::command;
        s.load_open = false;
    } else if ((s.mode == SimMode::raw_body || (s.mode == SimMode::data_blocks && current(s))) && idle >= body_idle_ms) {
        refuse_load(s, !s.load_fault.empty()    ? s.load_fault
                       : awaiting_staged_bytes(s) ? "no staged baud command after the payload"
                                                  : "body incomplete: " + std::to_string(s.load.length) + " of " + std::to_string(s.expected) + " bytes");
    }
}

void sim_finish_load(SimState& s, bool accepted, std::string verdict) {
    s.load.accepted = accepted;
    s.load.verdict = std::move(verdict);
    sim_note(s, "load " + s.load.mode + (s.load.name.empty() ? "" : " \"" + s.load.name + "\"") + ": " + s.load.verdict);
    s.loads.push_back(std::move(s.load));
    s.load = SimLoad{};
    s.load_open = false;
    s.mode = SimMode::command;
}
