#include "unit/parameter_lines.h"

#include <array>
#include <cctype>
#include <utility>

#include "output/log.h"
#include "output/status_shown.h"
#include "platform/window.h"

namespace {
constexpr std::array<std::string_view, 8> factory_marks{"LCD",    "lcd",  "lamp",   "ExSen",
                                                        "time",   "Config", "Offset", "dim min fac"};

bool in_name_alphabet(unsigned char ch) {
    return std::isalnum(ch) || ch == ' ' || ch == '.' || ch == '_' || ch == '-';
}

bool fits_value_place(unsigned char ch, std::size_t from_end) {
    if (from_end == 10) return ch == '0';
    if (from_end == 9) return ch == 'x';
    if (from_end <= 8) return std::isxdigit(ch) != 0;
    return true;
}
}  // namespace

LineFault check_parameter_line(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto ch = static_cast<unsigned char>(line[i]);
        if (!in_name_alphabet(ch)) return {1, i};
        if (!fits_value_place(ch, line.size() - i)) return {2, i};
    }
    // A line such as "abc" passes the character rules, yet the unit takes only
    // a name with its value and refuses the whole list for it.
    if (line.size() < parameter_line_shortest) return {3, 0};
    return {};
}

bool is_factory_setting(std::string_view line) {
    for (std::string_view mark : factory_marks)
        if (line.find(mark) != std::string_view::npos) return true;
    return false;
}

bool is_factory_header(std::string_view line) {
    return line.find("ModelID=") != std::string_view::npos && line.find("Serial=") != std::string_view::npos;
}

std::string_view trim_line_end(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

bool read_parameter_line(std::FILE* file, std::string& line) {
    line.clear();
    int ch = 0;
    while (line.size() < parameter_line_limit && (ch = std::fgetc(file)) != EOF) {
        line.push_back(static_cast<char>(ch));
        if (ch == '\n') break;
    }
    return !line.empty();
}

void for_each_sent_line(std::FILE* file, bool factory, const std::function<bool(std::string_view)>& each) {
    std::string line;
    bool first = true;
    while (read_parameter_line(file, line)) {
        const bool header = std::exchange(first, false) && factory;
        if (header) continue;
        const std::string_view data = trim_line_end(line);
        if (data.empty()) return;
        if (!factory && is_factory_setting(data)) continue;
        if (!each(data)) return;
    }
}

void report_ignored_line(std::string_view line, const LineFault& fault) {
    const int length = static_cast<int>(line.size());
    std::string text;
    if (fault.rule == 3) {
        text = formatted("Ignoring configuration value\n\n%.*s \n\nNo name with a value of \"0x\" and eight hex digits "
                         "found.",
                         length, line.data());
    } else {
        const auto ch = static_cast<unsigned char>(line[fault.position]);
        text = formatted(fault.rule == 1 ? "Ignoring configuration value\n\n%.*s \n\nInvalid character found. '%c'(%d)#%d"
                                         : "Ignoring configuration value\n\n%.*s \n\nInvalid hex character found. '%c'(%d)#%d",
                         length, line.data(), ch, ch, static_cast<int>(fault.position));
    }
    log_write(text);
    message_box(text, "Configuration Character Error ...", BoxButtons::ok, BoxIcon::warning);
}
