#pragma once
// Which instrument is attached, and the names of its parameter files.
#include <ctime>
#include <string>
#include <string_view>

inline constexpr std::string_view served_model = "RK5200H";

struct ParameterFileNames {
    std::string default_backup_name;  // "Params_SN%08x.dat" with the unit number
    std::string serial_text;          // "%08x": finds this unit's existing backup
    std::string hass_path;            // earlier-generation HASS configuration
    std::string no_gamma_path;        // earlier-generation No GAMMA configuration
    std::string temporary_path;       // other earlier-generation configuration functions
};

struct ModelState {
    std::string remembered_model;  // the last fresh detection: empty or served_model
    // The last fresh detection read the tables of an earlier-generation unit
    // (which has no model text).
    bool earlier_unit_answered = false;
    // The top-level directory of the loadable files, without a trailing separator.
    std::string start_directory;
    ParameterFileNames parameter_files;
};
extern ModelState g_model;

void reset_model_state();

enum DetectForm { DETECT_FRESH = 0, DETECT_REMEMBERED = 1 };
// Fresh: finds and connects to the unit, reads its tables and identifies it;
// the link is closed afterwards. Empty text when no instrument of a known
// model answers. Remembered: the last fresh result, without the link.
std::string detect_model(int form);

// Derives the default backup name and the serial text from the P table's unit number.
void derive_unit_number_names();
// Derives every parameter file name for `model` from the P table's unit number,
// the top-level directory and `now` (seconds since 1970, for the temporary path).
void derive_parameter_file_names(std::string_view model, std::time_t now);
