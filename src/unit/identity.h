#pragma once
// What the unit's P table says about it: hardware identifier and generation,
// unit number, and the database format versions its software accepts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Offsets of the P table's 32-bit big-endian fields.
enum PTableField : std::size_t {
    P_MAP_START = 12,            // earlier generation: start of map memory
    P_AIRPORT_BASE = 28,         // earlier generation: relocation base of the airport load
    P_MAP_END = 40,              // earlier generation: end of map memory
    P_AIRPORT_MASK = 200,
    P_TERRAIN_MASK = 204,
    P_OBSTACLE_MASK = 208,       // earlier generation: the unit number
    P_OVERLAY_MASK = 212,
    P_AIRPORT_MASK_SERIAL = 224,
    P_TERRAIN_MASK_SERIAL = 228,
    P_UNIT_NUMBER = 244,
    P_HARDWARE_ID = 248,
};

inline constexpr int current_generation = 4;
inline constexpr uint32_t unit_number_none = 0xFFFFFFFF;

struct UnitIdentity {
    uint32_t unit_hardware_id = 0;
    int unit_generation = 0;  // 4 current, 1 earlier, 0 not yet read
    // Kept by the waiting page when it validates the tables; 0 until then.
    uint32_t unit_number = 0;
};
extern UnitIdentity g_unit;

void reset_unit_identity();

uint32_t p_table_word(PTableField field);

// The identifier with its low 12 bits set to ones; sets unit_generation.
uint32_t read_hardware_id();
// True for the identifiers of the served model (either variant).
bool is_current_generation_id(uint32_t hardware_id);

// 1 when the unit accepts a database of this major (file) version, else 0.
// Each logs the mask and the version.
int check_airport_compat(int version);
int check_terrain_compat(int version);
int check_obstacle_compat(int version);
int check_overlay_compat(int version);
int check_airport_compat_serial(int version);
int check_terrain_compat_serial(int version);

// One database kind's mask in the P table, and the bit a major version tests:
// version + bit_offset, wrapping at 32.
struct CompatibilityMask {
    const char* kind;  // "airport", "terrain", "obstacle", "overlay"
    PTableField field;
    int bit_offset;
};
// The masks the loads of a unit of this generation test.
std::span<const CompatibilityMask> compatibility_masks(int generation);
bool mask_accepts(const CompatibilityMask& rule, uint32_t mask, int version);
// The major versions the mask accepts, lowest first (one wrap of the bits).
std::vector<int> accepted_versions(const CompatibilityMask& rule, uint32_t mask);

// The kept unit_number while the P table is valid, else unit_number_none.
uint32_t unit_number_or_none();
