#include "catalogue/upload_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "catalogue/text_file.h"
#include "output/log.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {
struct SettingInfo {
    std::string_view key;
    std::string_view default_folder;  // empty for the block delay
};

// In the order of UploadSetting, which is also the order "upload.cfg" is
// written in, except that the block delay goes last.
constexpr std::array<SettingInfo, UPLOAD_SETTING_COUNT> settings_table{{
    {"PGM_DIR=", "System Files"},
    {"TRN_DIR=", "Terrain Files"},
    {"APT_DIR=", "Airport Files"},
    {"OBS_DIR=", "Obstacle Files"},
    {"OVL_DIR=", "Overlay Files"},
    {"PRM_DIR=", "Parameter Files"},
    {"HAS_DIR=", "HASS Files"},
    {"NGM_DIR=", "NOGAMMA Files"},
    {"BLOCK_DLY=", ""},
    {"FDR_DIR=", "Recording Files"},
}};

// Keys are compared in this order when a line is read.
constexpr std::array<UploadSetting, UPLOAD_SETTING_COUNT> read_order{
    PGM_DIR, TRN_DIR, APT_DIR, OBS_DIR, OVL_DIR, PRM_DIR, HAS_DIR, NGM_DIR, FDR_DIR, BLOCK_DLY};

constexpr std::string_view config_name = "upload.cfg";

struct UploadSettingsState {
    std::array<std::string, UPLOAD_SETTING_COUNT> values;
    int block_delay = default_block_delay;
    // Set once "upload.cfg" has been read since the texts were last emptied:
    // writing before then would replace the technician's folders with nothing.
    bool read = false;
};
UploadSettingsState g_settings;

// A decimal number at the start of the text after blanks. A negative number
// would make the image loads wait for ever between blocks, so it counts as no
// number at all.
bool parse_block_delay(std::string_view text, int& delay) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    if (start < text.size() && text[start] == '+') ++start;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + start || value < 0) return false;
    delay = value;
    return true;
}

std::optional<std::string> config_path(const std::string& top_directory) {
    auto path = path_join(top_directory, config_name);
    if (!path) log_write(path_too_long_message(top_directory + path_separator + std::string(config_name)));
    return path;
}
}  // namespace

void upload_settings_clear() {
    for (auto& value : g_settings.values) value.clear();
    g_settings.read = false;
}

void read_upload_config(const std::string& top_directory) {
    g_settings.read = true;
    const auto path = config_path(top_directory);
    if (!path) return;
    read_text_lines(*path, max_path_length + settings_table[BLOCK_DLY].key.size(),
                    [](std::string_view line, bool too_long) {
                        for (UploadSetting key : read_order) {
                            const std::string_view name = settings_table[key].key;
                            if (!line.starts_with(name)) continue;
                            const std::string_view value = line.substr(name.size());
                            if (too_long || value.size() > max_path_length)
                                log_write("upload.cfg: the value of " + std::string(name) +
                                          " is longer than " + std::to_string(max_path_length) +
                                          " characters and is ignored");
                            else
                                g_settings.values[key] = value;
                            break;
                        }
                        return true;
                    });
}

void apply_upload_defaults(const std::string& top_directory, DiskAccess access) {
    for (int key = 0; key < UPLOAD_SETTING_COUNT; ++key) {
        if (key == BLOCK_DLY || !g_settings.values[key].empty()) continue;
        const std::string_view folder = settings_table[key].default_folder;
        auto path = path_join(top_directory, folder);
        if (!path) {
            log_write(path_too_long_message(top_directory + path_separator + std::string(folder)));
            continue;
        }
        // A folder that cannot be made only leaves its catalogue empty.
        if (access == DiskAccess::read_write) make_folder(*path);
        g_settings.values[key] = std::move(*path);
    }
    std::string& delay_text = g_settings.values[BLOCK_DLY];
    if (delay_text.empty())
        delay_text = std::to_string(g_settings.block_delay);
    else
        parse_block_delay(delay_text, g_settings.block_delay);
}

void write_upload_config(const std::string& top_directory) {
    if (!g_settings.read) {
        log_write("upload.cfg is not written: its settings have not been read");
        return;
    }
    const auto path = config_path(top_directory);
    if (!path) return;
    std::string text;
    for (UploadSetting key : read_order) {
        if (key == BLOCK_DLY) continue;
        text += settings_table[key].key;
        text += g_settings.values[key];
        text += '\n';
    }
    text += settings_table[BLOCK_DLY].key;
    text += std::to_string(g_settings.block_delay);
    text += '\n';
    write_text_file(*path, text);
}

const std::string& upload_setting(UploadSetting key) { return g_settings.values[key]; }

bool set_upload_setting(UploadSetting key, const std::string& value) {
    if (!path_fits(value)) return false;
    g_settings.values[key] = value;
    return true;
}

int block_delay() { return g_settings.block_delay; }

void upload_settings_reset() { g_settings = UploadSettingsState{}; }
