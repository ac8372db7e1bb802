#pragma once
// The pattern table: the named file-name pieces by which every loadable file
// is recognised, built-in defaults that "glob_pattern_override.txt" in the
// top-level directory may override.
#include <optional>
#include <string>
#include <string_view>

enum PatternKey : int {
    GLOB_NULL,
    EXEC_HHF_GLOB,
    EXEC_HHF_BASE,
    EXEC_HHF_SUFX,
    EXEC_HHF_IOTK,
    EXEC_HHF_STTK,
    LINX_KRN_GLOB,
    LINX_KRN_BASE,
    LINX_KRN_SUFX,
    FIRM_DTB_GLOB,
    FIRM_DTB_BASE,
    FIRM_DTB_SUFX,
    RTFS_UBI_GLOB,
    RTFS_UBI_BASE,
    RTFS_UBI_SUFX,
    BOOT_BIN_GLOB,
    BOOT_BIN_BASE,
    BOOT_BIN_SUFX,
    GDAT_BIN_SUFX,
    GDAT_DAT_SUFX,
    GDAT_HDR_SUFX,
    TERR_DAT_GLOB,
    TERR_DAT_INDX,
    TERR_DAT_BASE,
    ARPT_DAT_GLOB,
    ARPT_DAT_INDX,
    ARPT_DAT_BASE,
    OBST_DAT_GLOB,
    OBST_DAT_INDX,
    OBST_DAT_BASE,
    OVLY_DAT_GLOB,
    OVLY_DAT_INDX,
    OVLY_DAT_BASE,
    PARM_FIL_GLOB,
    HASS_FIL_GLOB,
    NGMA_FIL_GLOB,
    PATTERN_COUNT
};

inline constexpr std::string_view pattern_override_name = "glob_pattern_override.txt";
inline constexpr std::string_view pattern_default_dump_name = "dump_default_glob_patterns.txt";
inline constexpr std::string_view pattern_override_dump_name = "dump_overriden_glob_patterns.txt";

// Every value back to its default.
void patterns_reset();
// The key of a name (exact, case-sensitive); nothing for an unknown name and
// for GLOB_NULL.
std::optional<PatternKey> pattern_lookup(std::string_view name);
// Sets one value; ignored for GLOB_NULL and indexes out of range.
void pattern_set(int index, std::string_view value);
// One value; the empty text for GLOB_NULL and indexes out of range.
const std::string& pattern_get(int index);
// The getter of each value, checked at compile time.
inline const std::string& pattern_value(PatternKey key) { return pattern_get(key); }
std::string_view pattern_key_name(PatternKey key);

// Applies the first valid line of the override file; silent about problems.
void apply_pattern_overrides(const std::string& top_directory);
// Writes the table, one "KEY = value" line per index, to `name` in the
// top-level directory; silent when it cannot be written.
void dump_patterns(const std::string& top_directory, std::string_view name);
