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

void sim_send(SimState& s, const std::vector<uint8_t>& bytes, const std::string& summary, uint32_t extra_delay_ms) {
    if (s.config.faults.silent) return;
    uint64_t ready = std::max(s.now + s.config.reply_latency_ms + extra_delay_ms, s.last_ready);
    s.transcript.push_back({SimEvent::sent, ready, summary});
    const uint32_t step = s.config.faults.trickle_ms;
    for (std::size_t i = 0; i < bytes.size(); ++i) s.out.push_back({ready + i * step, bytes[i]});
    if (!bytes.empty()) ready += (bytes.size() - 1) * step;
    s.last_ready = ready;
}

void sim_send_line(SimState& s, const std::string& text, uint32_t extra_delay_ms) {
    std::string bytes = text + s.config.line_end;
    sim_send(s, std::vector<uint8_t>(bytes.begin(), bytes.end()), text, extra_delay_ms);
}

namespace {
constexpr uint64_t resync_quiet_ms = 100;

void advance(SimState& s, uint64_t now) {
    s.now = std::max(s.now, now);
    sim_load_idle(s);
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
    bool busy = s.busy_from <= s.now && s.now < s.busy_until;
    if (s.resync && s.now - s.last_byte_at >= resync_quiet_ms) s.resync = false;
    std::size_t taken = 0;
    for (; taken < size && s.cable_in; ++taken) {
        long limit = s.config.faults.cable_pulled_after;
        if (limit >= 0 && s.received_total >= uint64_t(limit)) {
            s.cable_in = false;
            s.out.clear();
            sim_note(s, "cable pulled after " + std::to_string(limit) + " bytes");
            break;
        }
        ++s.received_total;
        if (!s.resync) accept_byte(s, data[taken]);
    }
    if (busy && taken) sim_note(s, std::to_string(taken) + " bytes arrived while busy");
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
    std::size_t n = std::min(size, available(now));
    for (std::size_t i = 0; i < n; ++i) {
        data[i] = state_->out.front().byte;
        state_->out.pop_front();
    }
    return n;
}

void SimUnit::discard(uint64_t now) {
    std::size_t n = available(now);
    state_->out.erase(state_->out.begin(), state_->out.begin() + long(n));
}

bool SimUnit::connected() const { return state_->cable_in; }

const std::vector<SimEvent>& SimUnit::transcript() const { return state_->transcript; }

std::string SimUnit::transcript_text() const {
    std::string text;
    for (const SimEvent& e : state_->transcript) {
        text += e.kind == SimEvent::received ? "> " : e.kind == SimEvent::sent ? "< " : "# ";
        text += e.text + "\n";
    }
    return text;
}

const std::vector<SimLoad>& SimUnit::loads() const { return state_->loads; }

const std::vector<std::string>& SimUnit::parameters() const { return state_->parameters; }

SimConfig& SimUnit::config() { return state_->config; }
