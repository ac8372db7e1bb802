#include <algorithm>
#include <cstdio>

#include "sim/sim_state.h"

namespace {
void send_packet(SimState& s) {
    const std::vector<uint8_t>& rec = s.recordings[s.recording];
    std::size_t n = std::min(std::max<std::size_t>(s.config.packet_size, 1), rec.size() - s.rec_sent);
    uint8_t type = n ? 'D' : 'X';
    const SimFaults& f = s.config.faults;
    bool spoil = s.packet_number++ == f.corrupt_packet && (f.corrupt_recording < 0 || s.recording == std::size_t(f.corrupt_recording));
    sim_send(s, sim_packet(type, rec.data() + s.rec_sent, n, spoil),
             std::string("packet ") + char(type) + " " + std::to_string(n) + " bytes" + (spoil ? " (check spoiled)" : ""));
    s.rec_sent += n;
    s.rec_spoiled = spoil;
    // A spoiled end packet leaves the recording open: the uploader answers it with "NO".
    s.rec_end_sent = type == 'X' && !spoil;
    s.mode = SimMode::download;
}

void select_recording(SimState& s, const std::string& argument) {
    unsigned long index = 0;
    char rest = 0;
    if (std::sscanf(argument.c_str(), "%lx%c", &index, &rest) != 1 || index >= s.recordings.size())
        return sim_refuse(s, "NO: ", "no such recording");
    if (long(index) == s.config.faults.refused_recording) {
        sim_note(s, "recording " + std::to_string(index) + " refused");
        return sim_send_line(s, "NO: recording unavailable");
    }
    s.recording = index;
    s.rec_sent = 0;
    s.packet_number = 0;
    sim_send_line(s, "OK");
    send_packet(s);
}

// The uploader's running total in "OK %08d" / "NO %08d": at least eight
// decimal digits after the space; -1 when the line has another form.
long reported_total(const std::string& line) {
    std::string digits = line.substr(3);
    if (digits.size() < 8 || digits.size() > 18) return -1;
    for (char c : digits)
        if (c < '0' || c > '9') return -1;
    return std::stol(digits);
}
}  // namespace

void sim_recording_command(SimState& s, const std::string& word, const std::string& argument) {
    if (word == "RC") {
        const std::string& reply = s.config.faults.count_reply;
        sim_send_line(s, reply.empty() ? std::to_string(s.recordings.size()) + " recordings OK" : reply);
    } else if (word == "H") {
        select_recording(s, argument);
    } else {
        s.recordings.clear();
        sim_note(s, "recordings erased");
        sim_send_line(s, "OK: recordings erased");
    }
}

void sim_download_line(SimState& s, const std::string& line) {
    s.mode = SimMode::command;
    if (line == "OK end" && s.rec_end_sent) return sim_note(s, "recording " + std::to_string(s.recording) + " sent");
    bool ok = line.rfind("OK ", 0) == 0;
    if ((ok || line.rfind("NO ", 0) == 0) && line.size() > 3 && !s.rec_end_sent) {
        long total = reported_total(line);
        std::string counts = "uploader counts " + line.substr(3) + " bytes, " + std::to_string(s.rec_sent) + " were sent";
        if (!ok) {
            if (total != long(s.rec_sent)) sim_note(s, counts);
            return sim_note(s, "recording " + std::to_string(s.recording) + " abandoned by the uploader");
        }
        if (s.rec_spoiled)
            return sim_refuse(s, "NO: ", "uploader took a packet with a wrong check: recording " + std::to_string(s.recording) + " ended");
        if (total != long(s.rec_sent)) return sim_refuse(s, "NO: ", counts + ": recording " + std::to_string(s.recording) + " ended");
        return send_packet(s);
    }
    sim_command(s, line);
}
