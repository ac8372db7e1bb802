#include <algorithm>

#include "sim/sim_state.h"

SimUnit::SimUnit(SimConfig config) : state_(std::make_unique<State>(std::move(config))) {
    state_->refusals_left = state_->config.faults.refused_blocks;
    state_->flash_retries_left = state_->config.faults.flash_retries;
}

SimUnit::~SimUnit() = default;

void sim_event(SimState& s, SimEvent::Kind kind, std::string text) {
    s.transcript.push_back({kind, s.now, std::move(text)});
}

void sim_note(SimState& s, std::string text) { sim_event(s, SimEvent::note, std::move(text)); }

void sim_anomaly(SimState& s, std::string text) { sim_event(s, SimEvent::anomaly, std::move(text)); }

void sim_refuse(SimState& s, const std::string& reply_prefix, const std::string& why) {
    sim_anomaly(s, why);
    sim_send_line(s, reply_prefix + why);
}

void sim_send(SimState& s, const std::vector<uint8_t>& bytes, const std::string& summary, uint32_t extra_delay_ms) {
    if (s.config.faults.silent) return;
    uint64_t ready = std::max(s.now + s.config.reply_latency_ms + extra_delay_ms, s.last_ready);
    s.transcript.push_back({SimEvent::sent, ready, summary});
    const uint32_t step = s.config.faults.trickle_ms;
    for (std::size_t i = 0; i < bytes.size(); ++i) s.out.push_back({ready + i * step, bytes[i]});
    if (!bytes.empty()) ready += (bytes.size() - 1) * step;
    s.last_ready = ready;
    s.out_total += bytes.size();
}

void sim_send_line(SimState& s, const std::string& text, uint32_t extra_delay_ms) {
    std::string bytes = text + s.config.line_end;
    sim_send(s, std::vector<uint8_t>(bytes.begin(), bytes.end()), text, extra_delay_ms);
}

namespace {
constexpr uint64_t earlier_block_gap_ms = 1000;

// A restart forgets the load and the line in progress and whatever was queued
// for the uploader; the unit greets as after power-up.
void sim_restart(SimState& s) {
    sim_note(s, "unit restarted after " + std::to_string(s.received_total) + " bytes");
    if (s.load_open) sim_finish_load(s, false, "lost in a restart");
    s.mode = SimMode::command;
    s.line.clear();
    s.line_fault.clear();
    s.awaiting_lf = false;
    s.frame.stop();
    s.out_removed += s.out.size();
    s.out.clear();
    s.busy_from = s.busy_until = 0;
    sim_send_line(s, "OK: Ready for commands.");
}

// Moves the unit's time on, first judging at its own moment what waited for
// the line to fall quiet.
void advance(SimState& s, uint64_t now) {
    // An earlier unit's block receiver drops a block whose bytes stopped
    // coming, and listens for lines (and the wake-up) again.
    const uint64_t dropped_at = s.last_byte_at + earlier_block_gap_ms;
    if (s.config.generation != 4 && s.frame.active() && dropped_at <= now) {
        s.now = std::max(s.now, dropped_at);
        s.frame.stop();
        sim_anomaly(s, "block cut short: its bytes stopped coming");
    }
    uint64_t settled_at = s.last_byte_at + sim_settle_ms;
    if (settled_at <= now && (s.awaiting_lf || s.mode == SimMode::body_end)) {
        s.now = std::max(s.now, settled_at);
        if (s.awaiting_lf) sim_line_settled(s);
        if (s.mode == SimMode::body_end) sim_body_settled(s);
    }
    s.now = std::max(s.now, now);
    sim_load_idle(s);
}

// The NAK is out and the ACK not yet: the unit holds the sender.
bool holding(const SimState& s) { return s.busy_from <= s.now && s.busy_from < s.busy_until && s.now < s.busy_until; }

void remove_output(SimState& s, std::size_t n) {
    s.out.erase(s.out.begin(), s.out.begin() + long(n));
    s.out_removed += n;
}

void pull_cable(SimState& s, const std::string& why) {
    s.cable_in = false;
    remove_output(s, s.out.size());
    sim_note(s, "cable pulled after " + why);
}

void accept_byte(SimState& s, uint8_t byte) {
    switch (s.mode) {
    case SimMode::command:
    case SimMode::download:
    case SimMode::parameter_list:
        sim_line_byte(s, byte);
        break;
    case SimMode::control_block:
    case SimMode::raw_body:
    case SimMode::body_end:
    case SimMode::data_blocks:
    case SimMode::test_stream:
        sim_load_byte(s, byte);
        break;
    }
}
}  // namespace

void SimUnit::receive(const uint8_t* data, std::size_t size, uint64_t now) {
    State& s = *state_;
    advance(s, now);
    if (s.resync && s.now - s.last_byte_at >= sim_settle_ms) s.resync = false;
    std::size_t taken = 0;
    uint64_t lost = 0;
    for (; taken < size && s.cable_in; ++taken) {
        long limit = s.config.faults.cable_pulled_after;
        if (limit >= 0 && s.received_total >= uint64_t(limit)) {
            pull_cable(s, std::to_string(limit) + " bytes");
            break;
        }
        const long restart = s.config.faults.restart_after;
        if (restart >= 0 && s.received_total == uint64_t(restart)) sim_restart(s);
        if (!holding(s) && !s.resync) {
            std::size_t room = size - taken;
            if (limit >= 0) room = std::size_t(std::min<uint64_t>(room, uint64_t(limit) - s.received_total));
            if (restart >= 0 && s.received_total < uint64_t(restart))
                room = std::size_t(std::min<uint64_t>(room, uint64_t(restart) - s.received_total));
            const std::size_t run = sim_take_raw_run(s, data + taken, room);
            if (run) {
                s.received_total += run;
                taken += run - 1;
                continue;
            }
        }
        ++s.received_total;
        if (holding(s) && s.now - s.busy_from >= s.config.pacing.nak_travel_ms &&
            ++s.held > s.config.pacing.room_after_nak) {
            ++lost;
            sim_lose_byte(s);
        } else if (!s.resync) {
            accept_byte(s, data[taken]);
        }
    }
    if (lost) sim_anomaly(s, std::to_string(lost) + " bytes lost: they came while the unit held the sender");
    if (taken) s.last_byte_at = s.now;
}

std::size_t SimUnit::available(uint64_t now) {
    State& s = *state_;
    advance(s, now);
    if (!s.cable_in) return 0;
    auto ready = std::find_if(s.out.begin(), s.out.end(), [&s](const State::Out& o) { return o.ready > s.now; });
    return std::size_t(ready - s.out.begin());
}

std::size_t SimUnit::take(uint8_t* data, std::size_t size, uint64_t now) {
    State& s = *state_;
    std::size_t n = std::min(size, available(now));
    const long limit = s.config.faults.cable_pulled_after_sent;
    if (limit >= 0) n = std::size_t(std::min<uint64_t>(n, uint64_t(limit) - std::min<uint64_t>(s.out_removed, limit)));
    for (std::size_t i = 0; i < n; ++i) data[i] = s.out[i].byte;
    remove_output(s, n);
    if (limit >= 0 && s.cable_in && s.out_removed >= uint64_t(limit)) pull_cable(s, std::to_string(limit) + " bytes sent");
    return n;
}

void SimUnit::discard(uint64_t now) {
    remove_output(*state_, available(now));
}

uint64_t SimUnit::bytes_received() const { return state_->received_total; }

bool SimUnit::connected() const { return state_->cable_in; }

const std::vector<SimEvent>& SimUnit::transcript() const { return state_->transcript; }

std::string SimUnit::transcript_text() const {
    std::string text;
    for (const SimEvent& e : state_->transcript) {
        text += sim_event_mark(e.kind);
        text += " " + e.text + "\n";
    }
    return text;
}

std::vector<std::string> SimUnit::anomalies() const {
    std::vector<std::string> texts;
    for (const SimEvent& e : state_->transcript)
        if (e.kind == SimEvent::anomaly) texts.push_back(e.text);
    return texts;
}

char sim_event_mark(SimEvent::Kind kind) {
    switch (kind) {
    case SimEvent::received: return '>';
    case SimEvent::sent: return '<';
    case SimEvent::note: return '#';
    case SimEvent::anomaly: return '!';
    }
    return '?';
}

const std::vector<SimLoad>& SimUnit::loads() const { return state_->loads; }

const std::vector<std::string>& SimUnit::parameters() const { return state_->parameters; }

const std::vector<std::vector<uint8_t>>& SimUnit::recordings() const { return state_->recordings; }

SimConfig& SimUnit::config() { return state_->config; }
