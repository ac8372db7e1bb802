#include "catalogue/unit_names.h"

#include <algorithm>
#include <cctype>

namespace {
UnitNames g_unit_names;
}

void set_unit_names(UnitNames names) { g_unit_names = std::move(names); }

const UnitNames& unit_names() { return g_unit_names; }

bool name_holds_serial_text(std::string_view name) {
    const std::string& serial = g_unit_names.serial_text;
    if (serial.empty()) return false;
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(name.begin(), name.end(), serial.begin(), serial.end(), same) != name.end();
}

void unit_names_reset() { g_unit_names = UnitNames{}; }
