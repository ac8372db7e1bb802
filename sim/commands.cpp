#include <cstdio>

#include "sim/sim_state.h"

namespace {
constexpr std::size_t max_line = 1024;

enum class Generations { both, current, earlier };

// One command of the unit: how its line ends, whether it takes an argument,
// which generation knows it and what it does.
struct Command {
    const char* word;
    bool crlf;
    bool argument;
    Generations generation;
    bool keeps_load;  // earlier generation: may come between a load's blocks
    void (*run)(SimState& s, const std::string& word, const std::string& argument);
};

// A decimal argument such as the 1 of "DDB 1"; -1 when there is none.
int small_number(const std::string& text) {
    int value = -1;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d%c", &value, &rest) != 1 || value < 0 || value > 99) return -1;
    return value;
}

std::string hex8(uint32_t v) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", unsigned(v));
    return text;
}

void table(SimState& s, const std::string& word, const std::string&) { sim_send_table(s, word[1]); }

void flight_functions(SimState& s, const std::string& word, const std::string&) {
    sim_note(s, word == "STOPF" ? "flight functions stopped" : "flight functions started");
}

void load_mode(SimState& s, const std::string& word, const std::string&) { sim_enter_mode(s, word); }

void read_parameters(SimState& s, const std::string&, const std::string&) { sim_read_parameters(s); }

void write_parameters(SimState& s, const std::string&, const std::string&) { sim_start_parameter_list(s); }

void link_speed(SimState& s, const std::string&, const std::string& argument) { sim_link_speed(s, argument); }

void free_space(SimState& s, const std::string&, const std::string&) {
    const SimFreeSpace& f = s.config.free_space;
    sim_send_line(s, "OK : " + hex8(f.blocks) + " " + hex8(f.other) + " " + hex8(f.block_size));
}

void delete_database(SimState& s, const std::string&, const std::string& argument) {
    int kind = small_number(argument);
    if (kind < 1 || kind > 4) return sim_refuse(s, "NO: ", "no such database");
    sim_note(s, "database " + std::to_string(kind) + " erased");
    sim_send_line(s, s.config.faults.bare_delete_answer ? "OK" : "OK : database " + std::to_string(kind) + " erased");
}

void reset(SimState& s, const std::string&, const std::string& argument) {
    int mode = small_number(argument);
    if (mode < 0 || mode > 2) return sim_refuse(s, "NO: ", "RESET without a valid mode");
    sim_note(s, "restarting in mode " + std::to_string(mode));
}

void update_scripts(SimState& s, const std::string&, const std::string&) { sim_note(s, "update scripts run"); }

void test_stream(SimState& s, const std::string&, const std::string&) { sim_start_test_stream(s); }

void recordings(SimState& s, const std::string& word, const std::string& argument) {
    sim_recording_command(s, word, argument);
}

void earlier(SimState& s, const std::string& word, const std::string& argument) { sim_earlier_command(s, word, argument); }

constexpr Generations both = Generations::both, current = Generations::current, earlier_only = Generations::earlier;

const Command commands[] = {
    {"QP", false, false, both, false, table},
    {"QT", false, false, both, false, table},
    {"QB", false, false, both, false, table},
    {"QN", false, false, both, false, table},
    {"QY", false, false, both, false, table},
    {"STOPF", false, false, both, false, flight_functions},
    {"STARTF", false, false, both, false, flight_functions},
    {"M", false, false, both, false, load_mode},
    {"P", false, false, both, false, load_mode},
    {"T", false, false, both, false, load_mode},
    {"RP", true, false, both, false, read_parameters},
    {"WP", true, false, both, false, write_parameters},
    {"BR", false, true, both, true, link_speed},
    {"DF", false, false, current, false, free_space},
    {"DDB", false, true, current, false, delete_database},
    {"RESET", false, true, current, false, reset},
    {"UP", false, false, current, false, update_scripts},
    {"PT", false, false, both, false, test_stream},
    {"RC", true, false, current, false, recordings},
    {"H", true, true, current, false, recordings},
    {"ER", true, false, current, false, recordings},
    {"ZH", true, true, earlier_only, false, earlier},
    {"ZT", true, true, earlier_only, false, earlier},
    {"N", false, false, earlier_only, true, earlier},
    {"W", true, false, earlier_only, true, earlier},
};

void split(const std::string& line, std::string& word, std::string& argument, bool& has_argument) {
    std::size_t space = line.find(' ');
    word = line.substr(0, space);
    has_argument = space != std::string::npos;
    argument = has_argument ? line.substr(space + 1) : "";
}

// The unit's command for `word`, or null when its generation has none.
const Command* find_command(const SimState& s, const std::string& word) {
    Generations own = s.config.generation == 4 ? current : earlier_only;
    for (const Command& c : commands)
        if (word == c.word && (c.generation == both || c.generation == own)) return &c;
    return nullptr;
}

// Lines of the parameter list and the commands so marked end with CR LF; all others with CR.
bool ends_with_crlf(const SimState& s, const std::string& line) {
    if (s.mode == SimMode::parameter_list) return true;
    std::string word, argument;
    bool has_argument;
    split(line, word, argument, has_argument);
    // The earlier generation takes an empty line ended either way.
    if (line.empty() && s.config.generation != 4) return true;
    const Command* command = find_command(s, word);
    return command && command->crlf;
}

// A whole line as the unit received it: refused for its form, or taken.
void take_line(SimState& s, const std::string& line, const std::string& form_fault) {
    sim_event(s, SimEvent::received, line);
    std::string fault = form_fault;
    if (fault.empty() && s.mode != SimMode::parameter_list && !line.empty() && line[0] == ' ')
        fault = "line begins with a space";
    if (!fault.empty()) {
        if (s.mode == SimMode::parameter_list) sim_spoil_parameter_list(s);
        return sim_refuse(s, "NO: ", fault);
    }
    if (s.mode == SimMode::parameter_list) sim_parameter_line(s, line);
    else if (s.mode == SimMode::download) sim_download_line(s, line);
    else sim_command(s, line);
}

void end_line(SimState& s, std::string fault) {
    std::string line;
    line.swap(s.line);
    s.line_fault.clear();
    take_line(s, line, fault);
}
}  // namespace

void sim_wake(SimState& s) {
    if (s.mode != SimMode::command) sim_note(s, "woken in the middle of an exchange");
    s.mode = SimMode::command;
    s.frame.stop();
    s.load_open = false;
    s.line.clear();
    s.line_fault.clear();
    s.awaiting_lf = false;
    sim_event(s, SimEvent::received, "<CAN x8>");
    sim_send_line(s, "OK: Ready for commands.");
}

void sim_line_settled(SimState& s) {
    s.awaiting_lf = false;
    end_line(s, s.line.empty() ? s.line_fault : "line ended by CR alone, CR LF expected");
}

void sim_line_byte(SimState& s, uint8_t byte) {
    if (byte == CAN) {
        if (++s.can_run == 8) {
            s.can_run = 0;
            sim_wake(s);
        }
        return;
    }
    if (s.can_run > 0 && s.line_fault.empty()) s.line_fault = "CAN bytes inside a line";
    s.can_run = 0;
    if (s.awaiting_lf) {
        s.awaiting_lf = false;
        if (byte == '\n') return end_line(s, s.line_fault);
        sim_line_settled(s);
    }
    if (byte == '\r') {
        if (ends_with_crlf(s, s.line)) {
            s.awaiting_lf = true;
            return;
        }
        return end_line(s, s.line_fault);
    }
    if (byte == '\n') return end_line(s, "line ended by LF alone");
    if (byte < 0x20 || byte >= 0x7F) {
        char fault[40];
        std::snprintf(fault, sizeof fault, "control byte 0x%02X inside a line", byte);
        if (s.line_fault.empty()) s.line_fault = fault;
        return;
    }
    if (s.line.size() < max_line) s.line += char(byte);
    else if (s.line_fault.empty()) s.line_fault = "line longer than " + std::to_string(max_line) + " characters";
}

void sim_command(SimState& s, const std::string& line) {
    std::string word, argument;
    bool has_argument;
    split(line, word, argument, has_argument);
    if (line.empty()) return;
    const Command* command = find_command(s, word);
    if (!command) return sim_refuse(s, "NO: ", "unknown command \"" + word + "\"");
    if (has_argument && !command->argument) return sim_refuse(s, "NO: ", "\"" + word + "\" takes no argument");
    if (s.config.faults.unanswered.count(word)) return sim_note(s, "\"" + word + "\" left unanswered");
    bool keeps_load = s.config.generation != 4 && command->keeps_load;
    if (s.mode != SimMode::command && !keeps_load) {
        sim_note(s, "load abandoned");
        s.mode = SimMode::command;
        s.load_open = false;
    }
    command->run(s, word, argument);
}
