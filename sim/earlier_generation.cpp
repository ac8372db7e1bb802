#include <cstdio>

#include "formats/crc.h"
#include "sim/sim_state.h"

namespace {
// Airport and terrain blocks are answered one by one; system software blocks are not.
bool answers_blocks(const SimState& s) { return s.load.mode != "P"; }

void announce_size(SimState& s, const std::string& word, const std::string& argument) {
    unsigned long size = 0;
    char rest = 0;
    if (std::sscanf(argument.c_str(), "%lx%c", &size, &rest) != 1) return sim_refuse(s, "NO: ", "size expected");
    s.announced_size = size;
    sim_note(s, std::string(word == "ZH" ? "terrain header" : "terrain data") + " chunks of " + std::to_string(size) + " bytes");
    sim_send_line(s, "OK");
}

void write_flash(SimState& s) {
    if (!s.load_open || s.mode != SimMode::data_blocks) return sim_refuse(s, "NO: ", "nothing to write");
    uint32_t flash_ms = s.config.flash_ms;
    if (s.flash_retries_left > 0) {
        --s.flash_retries_left;
        return sim_send_line(s, "Retry", flash_ms);
    }
    sim_send_line(s, "Begin erase");
    sim_send_line(s, "Begin write", flash_ms / 2);
    s.load.checksum = crc_end(s.body_reg);
    if (s.load.mode == "T" && s.announced_size && s.load.length != s.announced_size)
        sim_note(s, "chunk of " + std::to_string(s.load.length) + " bytes, " + std::to_string(s.announced_size) + " announced");
    if (!s.load_fault.empty()) {
        sim_anomaly(s, s.load_fault);
        sim_send_line(s, "ERR: " + s.load_fault, flash_ms);
        return sim_finish_load(s, false, s.load_fault);
    }
    sim_send_line(s, "OK: flash written", flash_ms);
    sim_finish_load(s, true, "accepted");
}
}  // namespace

void sim_earlier_command(SimState& s, const std::string& word, const std::string& argument) {
    if (word == "ZH" || word == "ZT") announce_size(s, word, argument);
    else if (word == "N") sim_note(s, "block receiver restarted");
    else write_flash(s);
}

void sim_earlier_block(SimState& s, const SimFrame& frame, const std::string& failure) {
    std::string fault = !failure.empty() ? failure
                        : frame.type != 'D' ? "not a data block"
                        : !frame.payload_ok ? "data block check mismatch"
                                            : "";
    if (!fault.empty()) {
        if (answers_blocks(s)) sim_refuse(s, "NO: ", fault);
        else if (s.load_fault.empty()) s.load_fault = fault;
        return;
    }
    if (answers_blocks(s) && s.refusals_left > 0) {
        --s.refusals_left;
        return sim_send_line(s, "NO: busy");
    }
    sim_add_body(s, frame.address, frame.payload.data(), frame.payload.size());
    if (answers_blocks(s)) sim_send_line(s, "OK");
}
