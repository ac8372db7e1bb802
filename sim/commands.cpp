#include <cstdio>

#include "sim/sim_state.h"

namespace {
constexpr std::size_t max_line = 1024;

void split(const std::string& line, std::string& word, std::string& argument) {
    std::size_t space = line.find(' ');
    word = line.substr(0, space);
    argument = space == std::string::npos ? "" : line.substr(space + 1);
}

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

void free_space(SimState& s) {
    const SimFreeSpace& f = s.config.free_space;
    sim_send_line(s, "OK : " + hex8(f.blocks) + " " + hex8(f.other) + " " + hex8(f.block_size));
}

void delete_database(SimState& s, const std::string& argument) {
    int kind = small_number(argument);
    if (kind < 1 || kind > 4) return sim_send_line(s, "NO: no such database");
    sim_note(s, "database " + std::to_string(kind) + " erased");
    sim_send_line(s, "OK : database " + std::to_string(kind) + " erased");
}

void reset(SimState& s, const std::string& argument) {
    int mode = small_number(argument);
    sim_note(s, mode >= 0 && mode <= 2 ? "restarting in mode " + std::to_string(mode) : "RESET without a valid mode");
}

bool current_command(SimState& s, const std::string& word, const std::string& argument) {
    if (word == "DF") free_space(s);
    else if (word == "DDB") delete_database(s, argument);
    else if (word == "RESET") reset(s, argument);
    else if (word == "UP") sim_note(s, "update scripts run");
    else if (word == "PT") sim_start_test_stream(s);
    else if (word == "RC" || word == "H" || word == "ER") sim_recording_command(s, word, argument);
    else return false;
    return true;
}
}  // namespace

void sim_wake(SimState& s) {
    if (s.mode != SimMode::command) sim_note(s, "woken in the middle of an exchange");
    s.mode = SimMode::command;
    s.frame.stop();
    s.load_open = false;
    s.line.clear();
    sim_event(s, SimEvent::received, "<CAN x8>");
    sim_send_line(s, "OK: Ready for commands.");
}

void sim_line_byte(SimState& s, uint8_t byte) {
    if (byte == CAN) {
        if (++s.can_run == 8) {
            s.can_run = 0;
            sim_wake(s);
        }
        return;
    }
    s.can_run = 0;
    bool was_cr = s.after_cr;
    s.after_cr = byte == '\r';
    if (byte == '\n' && was_cr) return;
    if (byte == '\r' || byte == '\n') {
        std::string line;
        line.swap(s.line);
        sim_event(s, SimEvent::received, line);
        if (s.mode == SimMode::parameter_list) sim_parameter_line(s, line);
        else if (s.mode == SimMode::download) sim_download_line(s, line);
        else sim_command(s, line);
        return;
    }
    if (byte >= 0x20 && byte < 0x7F && s.line.size() < max_line) s.line += char(byte);
}

void sim_command(SimState& s, const std::string& line) {
    std::string word, argument;
    split(line, word, argument);
    if (word.empty()) return;
    if (s.config.faults.unanswered.count(word)) return sim_note(s, "\"" + word + "\" left unanswered");
    bool earlier = s.config.generation != 4;
    bool keeps_load = earlier && (word == "BR" || word == "N" || word == "W");
    if (s.mode != SimMode::command && !keeps_load) {
        sim_note(s, "load abandoned");
        s.mode = SimMode::command;
        s.load_open = false;
    }
    if (word.size() == 2 && word[0] == 'Q' && std::string("PTBNY").find(word[1]) != std::string::npos) {
        sim_send_table(s, word[1]);
    } else if (word == "STOPF" || word == "STARTF") {
        sim_note(s, word == "STOPF" ? "flight functions stopped" : "flight functions started");
    } else if (word == "M" || word == "P" || word == "T") {
        sim_enter_mode(s, word);
    } else if (word == "RP") {
        sim_read_parameters(s);
    } else if (word == "WP") {
        s.mode = SimMode::parameter_list;
    } else if (word == "BR") {
        sim_note(s, "link speed " + argument);
    } else if (!(earlier ? sim_earlier_command(s, word, argument) : current_command(s, word, argument))) {
        sim_send_line(s, "NO: unknown command");
    }
}
