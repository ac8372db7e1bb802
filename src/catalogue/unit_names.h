#pragma once
// What the catalogue needs to know of the attached unit, handed in by the
// unit's identification whenever it derives the unit's names.
#include <string>
#include <string_view>

struct UnitNames {
    // The unit number as eight lower-case hexadecimal digits; empty while unknown.
    std::string serial_text;
    // The name of the unit's backup when none exists yet; empty while unknown.
    std::string default_backup_name;
};

void set_unit_names(UnitNames names);
const UnitNames& unit_names();
// Whether a parameter file name carries this unit's serial text. Letter case
// does not count: Windows keeps names as typed, and either case is the same
// hexadecimal number.
bool name_holds_serial_text(std::string_view name);
void unit_names_reset();
