#include <algorithm>
#include <cctype>

#include "sim/sim_state.h"

namespace {
constexpr std::size_t value_chars = 10;  // "0x" and eight hexadecimal digits

// The name part of "name 0xhhhhhhhh" (the whole line when it is shorter).
std::string parameter_name(const std::string& line) {
    return line.size() > value_chars ? line.substr(0, line.size() - value_chars) : line;
}

bool name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '.' || c == '_' || c == '-';
}

// A name of letters, digits, spaces, '.', '_' and '-', then "0x" and eight hexadecimal digits.
bool parameter_line(const std::string& line) {
    if (line.size() <= value_chars) return false;
    std::size_t value = line.size() - value_chars;
    if (!std::all_of(line.begin(), line.begin() + long(value), name_char)) return false;
    if (line.compare(value, 2, "0x") != 0) return false;
    return std::all_of(line.begin() + long(value) + 2, line.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

void store(SimState& s, const std::string& line) {
    auto same_name = [&line](const std::string& p) { return parameter_name(p) == parameter_name(line); };
    auto held = std::find_if(s.parameters.begin(), s.parameters.end(), same_name);
    if (held != s.parameters.end()) *held = line;
    else s.parameters.push_back(line);
}
}  // namespace

void sim_read_parameters(SimState& s) {
    for (const std::string& line : s.parameters) sim_send_line(s, line);
    sim_send_line(s, "");
}

void sim_start_parameter_list(SimState& s) {
    s.mode = SimMode::parameter_list;
    s.new_parameters.clear();
    s.parameters_refused = false;
}

void sim_spoil_parameter_list(SimState& s) { s.parameters_refused = true; }

// The list is stored whole at its empty line, or not at all.
void sim_parameter_line(SimState& s, const std::string& line) {
    if (!line.empty()) {
        if (parameter_line(line)) return s.new_parameters.push_back(line);
        s.parameters_refused = true;
        return sim_anomaly(s, "parameter line \"" + line + "\" is not a name, \"0x\" and eight hexadecimal digits");
    }
    s.mode = SimMode::command;
    if (s.parameters_refused) return sim_send_line(s, "NO: parameters refused, none stored");
    for (const std::string& p : s.new_parameters) store(s, p);
    s.new_parameters.clear();
    sim_send_line(s, "OK: parameters stored");
}
