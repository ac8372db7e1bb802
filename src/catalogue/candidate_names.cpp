#include "catalogue/candidate_names.h"

#include <string_view>

namespace {
constexpr unsigned part_1 = 1, part_2 = 2, part_3 = 4;

std::optional<NameMatch> version_match(std::string version, unsigned part) {
    if (version.empty() || version.size() > max_version_length) return std::nullopt;
    NameMatch match;
    match.key = version;
    match.version = std::move(version);
    match.part = part;
    return match;
}

// Everything after the first occurrence of `token`, if the name holds it.
std::optional<std::string> after_token(const std::string& name, const std::string& token) {
    if (token.empty()) return std::nullopt;
    const std::size_t at = name.find(token);
    if (at == std::string::npos) return std::nullopt;
    return name.substr(at + token.size());
}

// Main, I/O and start-up programs share one pattern; the tokens tell them
// apart, and the main program's version follows the fixed beginning.
std::optional<NameMatch> system_program(const std::string& name, const Listing&) {
    if (auto version = after_token(name, pattern_value(EXEC_HHF_IOTK))) return version_match(*version, part_2);
    if (auto version = after_token(name, pattern_value(EXEC_HHF_STTK))) return version_match(*version, part_3);
    const std::size_t base_length = pattern_value(EXEC_HHF_BASE).size();
    if (name.size() <= base_length) return std::nullopt;
    return version_match(name.substr(base_length), part_1);
}

std::optional<NameMatch> after_base(const std::string& name, const Listing& listing) {
    auto version = after_token(name, pattern_value(listing.base));
    if (!version) return std::nullopt;
    return version_match(*version, listing.part);
}

std::optional<NameMatch> boot_program(const std::string& name, const Listing& listing) {
    auto rest = after_token(name, pattern_value(listing.base));
    const std::size_t suffix_length = pattern_value(listing.suffix).size();
    if (!rest || rest->size() <= suffix_length || rest->size() > max_version_length) return std::nullopt;
    return version_match(rest->substr(0, rest->size() - suffix_length), listing.part);
}

// BASE + 4 characters + "-" + 5 characters + suffix, the numbers read after
// the marker and the whole name rebuilt from them.
std::optional<NameMatch> database_file(const std::string& name, const Listing& listing) {
    const std::string* suffix = nullptr;
    unsigned part = 0;
    for (auto [key, key_part] : {std::pair{listing.suffix, part_1}, std::pair{listing.second_suffix, part_2}}) {
        if (key == GLOB_NULL) continue;
        const std::string& candidate = pattern_value(key);
        const std::size_t at = name.find(candidate);
        if (at == std::string::npos) continue;
        if (at + candidate.size() != name.size()) return std::nullopt;
        suffix = &candidate;
        part = key_part;
        break;
    }
    if (!suffix) return std::nullopt;
    const std::string& marker = pattern_value(listing.marker);
    const std::size_t at = marker.empty() ? std::string::npos : name.find(marker);
    const std::size_t start = at + marker.size();
    if (at == std::string::npos || name.size() < start + first_number_length + 1 + second_number_length)
        return std::nullopt;
    NameMatch match;
    match.first_number = name.substr(start, first_number_length);
    match.second_number = name.substr(start + first_number_length + 1, second_number_length);
    match.key = match.first_number + "-" + match.second_number;
    if (name != pattern_value(listing.base) + match.key + *suffix) return std::nullopt;
    match.part = part;
    return match;
}

std::optional<NameMatch> any_name(const std::string& name, const Listing&) {
    NameMatch match;
    match.key = name;
    match.version = name;
    return match;
}

Listing database_listing(PatternKey glob, PatternKey marker, PatternKey base) {
    return {glob, database_file, base, GDAT_BIN_SUFX, GLOB_NULL, marker, part_1};
}

const std::array<KindRules, CATALOGUE_COUNT> rules_table{{
    {PGM_DIR, KeyForm::version, {{{EXEC_HHF_GLOB, system_program}}}, 1, part_1 | part_2 | part_3},
    {TRN_DIR, KeyForm::numbers,
     {{{TERR_DAT_GLOB, database_file, TERR_DAT_BASE, GDAT_DAT_SUFX, GDAT_HDR_SUFX, TERR_DAT_INDX, part_1}}}, 1,
     part_1 | part_2},
    {APT_DIR, KeyForm::numbers, {{database_listing(ARPT_DAT_GLOB, ARPT_DAT_INDX, ARPT_DAT_BASE)}}, 1, part_1},
    {OBS_DIR, KeyForm::numbers, {{database_listing(OBST_DAT_GLOB, OBST_DAT_INDX, OBST_DAT_BASE)}}, 1, part_1},
    {OVL_DIR, KeyForm::numbers, {{database_listing(OVLY_DAT_GLOB, OVLY_DAT_INDX, OVLY_DAT_BASE)}}, 1, part_1},
    {PRM_DIR, KeyForm::file_name, {{{PARM_FIL_GLOB, any_name}}}, 1, part_1},
    {HAS_DIR, KeyForm::presence, {{{HASS_FIL_GLOB}}}, 1, part_1},
    {NGM_DIR, KeyForm::presence, {{{NGMA_FIL_GLOB}}}, 1, part_1},
    {PGM_DIR, KeyForm::version,
     {{{LINX_KRN_GLOB, after_base, LINX_KRN_BASE, GLOB_NULL, GLOB_NULL, GLOB_NULL, part_1},
       {FIRM_DTB_GLOB, after_base, FIRM_DTB_BASE, GLOB_NULL, GLOB_NULL, GLOB_NULL, part_2},
       {RTFS_UBI_GLOB, after_base, RTFS_UBI_BASE, GLOB_NULL, GLOB_NULL, GLOB_NULL, part_3}}},
     3, part_1 | part_2 | part_3},
    {PGM_DIR, KeyForm::version, {{{BOOT_BIN_GLOB, boot_program, BOOT_BIN_BASE, BOOT_BIN_SUFX}}}, 1, part_1},
}};
}  // namespace

const KindRules& kind_rules(CatalogueKind kind) { return rules_table[kind]; }
