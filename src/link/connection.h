#pragma once
// Waking the unit and reading its five information tables.
#include <array>
#include <cstdint>

inline constexpr std::size_t table_data_bytes = 256;

struct UnitTable {
    std::array<uint8_t, table_data_bytes + 4> bytes{};  // data, then the check
    bool valid = false;                                 // the last query passed its check
};

struct UnitTables {
    UnitTable p_table;  // "QP": the unit's identity and compatibility masks
    UnitTable t_table;  // "QT"
    UnitTable b_table;  // "QB"
    UnitTable n_table;  // "QN"
    UnitTable y_table;  // "QY"
};
extern UnitTables g_unit_tables;

// The tables and what the last connection attempt found, forgotten.
void reset_unit_tables();

// Reopens the port, sends the wake-up burst and waits for a line beginning
// "OK", up to 20 attempts of about 1.5 s. True connected; false not
// (abort_requested is then set), or abort_requested was set already.
[[nodiscard]] bool connect_unit();
// How many attempts the last connect_unit made before it gave up because the
// unit never answered; 0 when it connected or was stopped by abort_requested.
int connect_unanswered_attempts();
// Reads and checks the five tables; true when all passed, false otherwise
// (also when a query could not be written). Each reply must be complete
// within 10 s.
[[nodiscard]] bool query_unit_tables();
// Parses one table reply as it arrives: the unit's greeting may come first,
// then hexadecimal digits in any grouping, ended by an empty line. True when
// 256 bytes and their matching check came.
bool read_unit_table(UnitTable& table);
