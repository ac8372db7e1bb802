#include "catalogue/patterns.h"

#include <array>
#include <cctype>

#include "catalogue/text_file.h"
#include "output/log.h"
#include "platform/paths.h"

namespace {
struct PatternInfo {
    std::string_view key;
    std::string_view default_value;
};

constexpr std::array<PatternInfo, PATTERN_COUNT> pattern_table{{
    {"GLOB_NULL", ""},
    {"EXEC_HHF_GLOB", "rk5200h_*.hhf"},
    {"EXEC_HHF_BASE", "rk5200h_"},
    {"EXEC_HHF_SUFX", ""},
    {"EXEC_HHF_IOTK", "io_"},
    {"EXEC_HHF_STTK", "start_"},
    {"LINX_KRN_GLOB", "uImage_*.hhf"},
    {"LINX_KRN_BASE", "uImage_"},
    {"LINX_KRN_SUFX", ""},
    {"FIRM_DTB_GLOB", "foo_dtb_*.hhf"},
    {"FIRM_DTB_BASE", "foo_dtb_"},
    {"FIRM_DTB_SUFX", ""},
    {"RTFS_UBI_GLOB", "ubi_img_*.hhf"},
    {"RTFS_UBI_BASE", "ubi_img_"},
    {"RTFS_UBI_SUFX", ""},
    {"BOOT_BIN_GLOB", "u_boot_*.hhf"},
    {"BOOT_BIN_BASE", "u_boot_"},
    {"BOOT_BIN_SUFX", ""},
    {"GDAT_BIN_SUFX", ".bin"},
    {"GDAT_DAT_SUFX", "_data.bin"},
    {"GDAT_HDR_SUFX", "_header.bin"},
    {"TERR_DAT_GLOB", "*-TDB-*.bin"},
    {"TERR_DAT_INDX", "-TDB-"},
    {"TERR_DAT_BASE", "61734-TDB-"},
    {"ARPT_DAT_GLOB", "*-NDB-*.bin"},
    {"ARPT_DAT_INDX", "-NDB-"},
    {"ARPT_DAT_BASE", "61734-NDB-"},
    {"OBST_DAT_GLOB", "*-ODB-*.bin"},
    {"OBST_DAT_INDX", "-ODB-"},
    {"OBST_DAT_BASE", "61734-ODB-"},
    {"OVLY_DAT_GLOB", "*-GDB-*.bin"},
    {"OVLY_DAT_INDX", "-GDB-"},
    {"OVLY_DAT_BASE", "61734-GDB-"},
    {"PARM_FIL_GLOB", "*.dat"},
    {"HASS_FIL_GLOB", "HASS.dat"},
    {"NGMA_FIL_GLOB", "NOGAMMA.dat"},
}};

// Override lines are read up to this length; a value is a single word, so it
// always fits the bound of a path.
constexpr std::size_t override_line_length = 258;

struct PatternState {
    std::array<std::string, PATTERN_COUNT> values;
};
PatternState g_patterns;
const std::string empty_text;

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view skip_blanks(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && is_blank(text[start])) ++start;
    return text.substr(start);
}

std::string_view first_word(std::string_view text) {
    text = skip_blanks(text);
    std::size_t end = 0;
    while (end < text.size() && !is_blank(text[end])) ++end;
    return text.substr(0, end);
}

// True when the line set a value, which ends the reading of the file.
bool apply_override_line(std::string_view line, bool too_long) {
    if (too_long) {
        log_write(std::string(pattern_override_name) + ": a line longer than " +
                  std::to_string(override_line_length) + " characters is skipped");
        return false;
    }
    line = skip_blanks(line);
    if (line.empty() || line.front() == '#') return false;
    const std::size_t first_equals = line.find('=');
    if (first_equals == std::string_view::npos) return false;
    std::string_view value_part = line.substr(first_equals + 1);
    value_part = value_part.substr(0, value_part.find('='));
    const std::string_view value = first_word(value_part);
    if (value.empty()) return false;
    const auto key = pattern_lookup(first_word(line.substr(0, first_equals)));
    if (!key) return false;
    pattern_set(*key, value);
    return true;
}
}  // namespace

void patterns_reset() {
    for (int i = 0; i < PATTERN_COUNT; ++i) g_patterns.values[i] = pattern_table[i].default_value;
}

std::optional<PatternKey> pattern_lookup(std::string_view name) {
    for (int i = GLOB_NULL + 1; i < PATTERN_COUNT; ++i)
        if (pattern_table[i].key == name) return static_cast<PatternKey>(i);
    return std::nullopt;
}

void pattern_set(int index, std::string_view value) {
    if (index <= GLOB_NULL || index >= PATTERN_COUNT) return;
    g_patterns.values[index] = value;
}

const std::string& pattern_get(int index) {
    if (index <= GLOB_NULL || index >= PATTERN_COUNT) return empty_text;
    return g_patterns.values[index];
}

std::string_view pattern_key_name(PatternKey key) { return pattern_table[key].key; }

void apply_pattern_overrides(const std::string& top_directory) {
    const auto path = path_join(top_directory, pattern_override_name);
    if (!path) return;
    read_text_lines(*path, override_line_length,
                    [](std::string_view line, bool too_long) { return !apply_override_line(line, too_long); });
}

void dump_patterns(const std::string& top_directory, std::string_view name) {
    const auto path = path_join(top_directory, name);
    if (!path) return;
    std::string text;
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        text += pattern_table[i].key;
        text += " = ";
        text += pattern_get(i);
        text += '\n';
    }
    write_text_file(*path, text);
}
