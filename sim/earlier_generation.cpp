#include <algorithm>
#include <cstdio>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "sim/sim_state.h"

namespace {
// Every load of this generation places its data blocks after the control
// block's 256 bytes, in order.
constexpr uint32_t first_address = 256;
constexpr uint32_t flash_progress_every_ms = 5000;
// How long a flash write that never ends goes on reporting progress: longer
// than any uploader waits.
constexpr uint32_t endless_flash_ms = 3 * 3600 * 1000;

// Airport and terrain blocks are answered one by one; system software blocks are not.
bool answers_blocks(const SimState& s) { return s.load.mode != "P"; }

void announce_size(SimState& s, const std::string& word, const std::string& argument) {
    unsigned long size = 0;
    char rest = 0;
    if (std::sscanf(argument.c_str(), "%lx%c", &size, &rest) != 1 || size == 0)
        return sim_refuse(s, "NO: ", "size expected");
    s.announced_size = size;
    s.announced_kind = word == "ZH" ? "terrain header" : "terrain data";
    sim_note(s, s.announced_kind + " chunks of " + std::to_string(size) + " bytes");
    sim_send_line(s, "OK");
}

// The bytes a load announces past its control block: the data length of the
// airport info section, the image length of system software less the block,
// the chunk size of a terrain load.
uint64_t expected_length(const SimState& s) {
    if (s.load.mode == "P") return get_be32(&s.load.control_block[8]) - first_address;
    if (s.load.mode == "T") return s.announced_size;
    return get_be32(&s.load.control_block[244]);
}

// A terrain chunk's control block is the chunk's own first 256 bytes.
bool chunk_starts_with_block(const SimState& s) {
    for (std::size_t i = 0; i < 256; ++i) {
        const std::size_t at = first_address + i;
        const uint8_t stored = at < s.load.data.size() ? s.load.data[at] : 0;
        if (s.load.control_block[i] != stored) return false;
    }
    return true;
}

// What is wrong with the load as the flash write is asked for; empty when nothing.
std::string load_fault(const SimState& s) {
    if (!s.load_fault.empty()) return s.load_fault;
    const uint64_t expected = expected_length(s);
    if (s.load.length != expected)
        return std::to_string(s.load.length) + " bytes received, " + std::to_string(expected) + " announced";
    if (s.load.mode == "T" && s.load.length <= s.config.keep_load_bytes && !chunk_starts_with_block(s))
        return "control block is not the chunk's first 256 bytes";
    return "";
}

void write_flash(SimState& s) {
    if (!s.load_open || s.mode != SimMode::data_blocks) return sim_refuse(s, "NO: ", "nothing to write");
    if (s.flash_retries_left > 0) {
        --s.flash_retries_left;
        return sim_send_line(s, "Retry", s.config.flash_ms);
    }
    const bool endless = s.config.faults.flash_never_ends;
    const uint32_t progress_ms = endless ? endless_flash_ms : s.config.flash_progress_ms;
    const uint32_t flash_ms = progress_ms + s.config.flash_ms;
    sim_send_line(s, "Begin erase");
    for (uint32_t at = flash_progress_every_ms; at <= progress_ms; at += flash_progress_every_ms)
        sim_send_line(s, "Begin write", at);
    if (endless) return sim_finish_load(s, false, "flash write never ended");
    sim_send_line(s, "Begin write", progress_ms + s.config.flash_ms / 2);
    s.load.checksum = crc_end(s.body_reg);
    if (s.load.mode == "T") s.load.name = s.announced_kind;
    const std::string fault = load_fault(s);
    if (!fault.empty()) {
        sim_anomaly(s, fault);
        sim_send_line(s, "ERR: " + fault, flash_ms);
        return sim_finish_load(s, false, fault);
    }
    if (s.config.faults.flash_fails) {
        sim_send_line(s, "ERR: flash write failed", flash_ms);
        return sim_finish_load(s, false, "flash write failed");
    }
    sim_send_line(s, "OK: flash written", flash_ms);
    sim_finish_load(s, true, "accepted");
}

// A block refused where the unit answers blocks; else the load's first fault.
void refuse_block(SimState& s, const std::string& fault) {
    if (answers_blocks(s)) return sim_refuse(s, "NO: ", fault);
    if (s.load_fault.empty()) s.load_fault = fault;
}

std::string block_fault(const SimState& s, const SimFrame& frame, const std::string& failure) {
    if (!failure.empty()) return failure;
    if (frame.type != 'D') return "not a data block";
    if (!frame.payload_ok) return "data block check mismatch";
    if (frame.payload.size() > 1024) return "data block of " + std::to_string(frame.payload.size()) + " bytes";
    if (s.restart_due) return "data block after a speed change without \"N\"";
    if (frame.address != first_address + s.load.length) {
        char text[80];
        std::snprintf(text, sizeof text, "data block at 0x%08X, 0x%08X expected", unsigned(frame.address),
                      unsigned(first_address + s.load.length));
        return text;
    }
    if (s.load.length + frame.payload.size() > expected_length(s))
        return "data block past the announced length";
    return "";
}
}  // namespace

std::string sim_earlier_control_fault(SimState& s, const std::vector<uint8_t>& block) {
    if (s.load.mode == "T" && s.announced_size == 0) return "terrain load without an announced chunk size";
    if (s.load.mode == "P" && get_be32(&block[8]) <= first_address) return "image length in the control block too short";
    if (s.load.mode != "M") return "";
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, block.data(), 252);
    if (reg != get_be32(&block[252])) return "control block checksum mismatch";
    if (get_be32(block.data()) < s.config.p_table.relocation_base + first_address)
        return "airport control block not relocated";
    return "";
}

void sim_link_speed(SimState& s, const std::string& argument) {
    unsigned long rate = 0;
    char rest = 0;
    if (std::sscanf(argument.c_str(), "%lu%c", &rate, &rest) != 1) return sim_refuse(s, "NO: ", "rate expected");
    sim_note(s, "link speed " + argument);
    if (rate != s.link_baud && s.load_open && s.mode == SimMode::data_blocks) s.restart_due = true;
    s.link_baud = uint32_t(rate);
}

void sim_earlier_command(SimState& s, const std::string& word, const std::string& argument) {
    if (word == "ZH" || word == "ZT") return announce_size(s, word, argument);
    if (word == "N") {
        s.restart_due = false;
        return sim_note(s, "block receiver restarted");
    }
    s.restart_due = false;
    write_flash(s);
}

void sim_earlier_block(SimState& s, const SimFrame& frame, const std::string& failure) {
    const std::string fault = block_fault(s, frame, failure);
    if (!fault.empty()) return refuse_block(s, fault);
    const uint32_t limit = s.config.faults.answers_up_to_baud;
    if (answers_blocks(s) && limit && s.link_baud > limit) return sim_send_line(s, "NO: garbled");
    if (answers_blocks(s) && s.silent_blocks_seen < s.config.faults.silent_blocks) {
        ++s.silent_blocks_seen;
        return sim_note(s, "block left unanswered");
    }
    if (answers_blocks(s) && s.refusals_left > 0) {
        --s.refusals_left;
        return sim_send_line(s, "NO: busy");
    }
    sim_add_body(s, frame.address, frame.payload.data(), frame.payload.size());
    if (answers_blocks(s)) sim_send_line(s, "OK");
}
