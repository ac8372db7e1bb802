#include "unit/identity.h"

#include <cstdio>

#include "formats/byte_order.h"
#include "link/connection.h"
#include "output/log.h"

UnitIdentity g_unit;

void reset_unit_identity() { g_unit = UnitIdentity{}; }

namespace {
constexpr uint32_t low_bits = 0xFFF;
constexpr uint32_t served_ids[] = {0x34019FFF, 0x34029FFF};

constexpr CompatibilityMask airport_rule{"airport", P_AIRPORT_MASK, -1};
constexpr CompatibilityMask terrain_rule{"terrain", P_TERRAIN_MASK, 0};
constexpr CompatibilityMask obstacle_rule{"obstacle", P_OBSTACLE_MASK, -1};
constexpr CompatibilityMask overlay_rule{"overlay", P_OVERLAY_MASK, -1};
constexpr CompatibilityMask airport_serial_rule{"airport", P_AIRPORT_MASK_SERIAL, -1};
constexpr CompatibilityMask terrain_serial_rule{"terrain", P_TERRAIN_MASK_SERIAL, -1};
constexpr CompatibilityMask current_rules[] = {airport_rule, terrain_rule, obstacle_rule, overlay_rule};
constexpr CompatibilityMask earlier_rules[] = {airport_serial_rule, terrain_serial_rule};

int compatible(const CompatibilityMask& rule, int version, const char* log_format) {
    const uint32_t mask = p_table_word(rule.field);
    char line[128];
    std::snprintf(line, sizeof line, log_format, int32_t(mask), version);
    log_write(line);
    return mask_accepts(rule, mask, version) ? 1 : 0;
}

constexpr const char* map_line = "Map Compatibility is %d and Map Major Version Number is %d";
constexpr const char* terrain_line = "Terrain Compatibility is %d and Terrain Major Version Number is %d";
}  // namespace

// The bit of `version` in the mask: version - 1 for most kinds, the version
// itself for the current terrain format; positions wrap at 32.
bool mask_accepts(const CompatibilityMask& rule, uint32_t mask, int version) {
    // Unsigned: versions of 2^31 and above wrap instead of overflowing.
    const uint32_t bit = (uint32_t(version) + uint32_t(rule.bit_offset)) & 31u;
    return ((mask >> bit) & 1u) != 0;
}

std::span<const CompatibilityMask> compatibility_masks(int generation) {
    if (generation == current_generation) return current_rules;
    return earlier_rules;
}

std::vector<int> accepted_versions(const CompatibilityMask& rule, uint32_t mask) {
    std::vector<int> versions;
    for (int version = -rule.bit_offset; version < 32 - rule.bit_offset; ++version)
        if (mask_accepts(rule, mask, version)) versions.push_back(version);
    return versions;
}

uint32_t p_table_word(PTableField field) { return get_be32(g_unit_tables.p_table.bytes.data() + field); }

bool is_current_generation_id(uint32_t hardware_id) {
    for (uint32_t id : served_ids)
        if ((hardware_id | low_bits) == id) return true;
    return false;
}

uint32_t read_hardware_id() {
    g_unit.unit_hardware_id = p_table_word(P_HARDWARE_ID);
    g_unit.unit_generation = is_current_generation_id(g_unit.unit_hardware_id) ? current_generation : 1;
    return g_unit.unit_hardware_id | low_bits;
}

int check_airport_compat(int version) { return compatible(airport_rule, version, map_line); }

int check_terrain_compat(int version) { return compatible(terrain_rule, version, terrain_line); }

int check_obstacle_compat(int version) {
    return compatible(obstacle_rule, version, "Obstacle Compatibility is %d and Obstacle File Version Number is %d");
}

int check_overlay_compat(int version) {
    return compatible(overlay_rule, version, "Overlay Compatibility is %d and Overlay File Version Number is %d");
}

int check_airport_compat_serial(int version) { return compatible(airport_serial_rule, version, map_line); }

int check_terrain_compat_serial(int version) {
    return compatible(terrain_serial_rule, version, terrain_line);
}

uint32_t unit_number_or_none() { return g_unit_tables.p_table.valid ? g_unit.unit_number : unit_number_none; }
