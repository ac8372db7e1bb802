#pragma once
// Reading what an attached unit says about itself, and nothing more: the
// wake-up and the five table queries, the port closed afterwards.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports.h"

enum class UnitReading {
    read,               // all five tables passed their check
    busy,               // the port did not open: another program holds it
    silent,             // the unit never answered the wake-up
    tables_unreadable,  // it answered, but a table failed its check three times
};

struct AcceptedVersions {
    std::string kind;  // "airport", "terrain", ...
    std::vector<int> versions;
};

struct SurveyedUnit {
    std::string port;
    UnitReading reading = UnitReading::silent;
    std::array<bool, 5> tables{};  // P, T, B, N, Y
    // From the P table, when it is valid.
    bool identified = false;
    uint32_t unit_number = 0;
    uint32_t hardware_id = 0;
    int generation = 0;
    std::string model;  // empty for a unit not of the served model
    std::vector<AcceptedVersions> accepts;
};

inline constexpr std::array<char, 5> table_letters = {'P', 'T', 'B', 'N', 'Y'};

// The ports a unit may be on; `only_port` non-empty: that one alone.
std::vector<PortInfo> unit_ports(const std::string& only_port);
// Wakes the unit on `port` and reads its tables; the tables stay in
// g_unit_tables and the identity in g_unit until the next survey.
SurveyedUnit survey_unit(const PortInfo& port);
