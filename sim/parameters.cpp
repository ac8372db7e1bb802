#include <algorithm>

#include "sim/sim_state.h"

namespace {
// The name part of "name 0xhhhhhhhh" (the whole line when it is shorter).
std::string parameter_name(const std::string& line) {
    return line.size() > 10 ? line.substr(0, line.size() - 10) : line;
}
}  // namespace

void sim_read_parameters(SimState& s) {
    for (const std::string& line : s.parameters) sim_send_line(s, line);
    sim_send_line(s, "");
}

void sim_parameter_line(SimState& s, const std::string& line) {
    if (line.empty()) {
        s.mode = SimMode::command;
        sim_send_line(s, "OK: parameters stored");
        return;
    }
    auto same_name = [&line](const std::string& p) { return parameter_name(p) == parameter_name(line); };
    auto held = std::find_if(s.parameters.begin(), s.parameters.end(), same_name);
    if (held != s.parameters.end()) *held = line;
    else s.parameters.push_back(line);
}
