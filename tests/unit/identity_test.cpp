// The P table's identity fields and the compatibility checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/connection.h"
#include "link/link_fixture.h"
#include "output/log.h"
#include "support/fixtures/bytes.h"
#include "support/temp_dir.h"
#include "unit/identity.h"

namespace {
using IdentityTest = LinkTest;

void set_p_word(std::size_t offset, uint32_t value) {
    uint8_t* p = g_unit_tables.p_table.bytes.data() + offset;
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}
}  // namespace

TEST_F(IdentityTest, HardwareIdentifierGivesTheGeneration) {
    struct Case {
        uint32_t id;
        int generation;
    };
    for (const Case c : {Case{0x34019FFF, 4}, Case{0x34019000, 4}, Case{0x34029ABC, 4}, Case{0x34039FFF, 1},
                         Case{0x3401AFFF, 1}, Case{0x00000000, 1}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.id);
        set_p_word(P_HARDWARE_ID, c.id);
        EXPECT_EQ(read_hardware_id(), c.id | 0xFFF);
        EXPECT_EQ(g_unit.unit_generation, c.generation);
    }
}

TEST_F(IdentityTest, CompatibilityChecksTestOneBitAndLogIt) {
    struct Case {
        int (*check)(int);
        PTableField mask_at;
        uint32_t mask;
        int version;
        int compatible;
        std::string log_line;
    };
    const std::vector<Case> cases = {
        {check_terrain_compat, P_TERRAIN_MASK, 4, 2, 1, "Terrain Compatibility is 4 and Terrain Major Version Number is 2"},
        {check_terrain_compat, P_TERRAIN_MASK, 2, 2, 0, "Terrain Compatibility is 2 and Terrain Major Version Number is 2"},
        {check_airport_compat, P_AIRPORT_MASK, 2, 2, 1, "Map Compatibility is 2 and Map Major Version Number is 2"},
        {check_airport_compat, P_AIRPORT_MASK, 4, 2, 0, "Map Compatibility is 4 and Map Major Version Number is 2"},
        {check_obstacle_compat, P_OBSTACLE_MASK, 1, 1, 1,
         "Obstacle Compatibility is 1 and Obstacle File Version Number is 1"},
        {check_overlay_compat, P_OVERLAY_MASK, 0x80000000, 0, 1,
         "Overlay Compatibility is -2147483648 and Overlay File Version Number is 0"},
        {check_overlay_compat, P_OVERLAY_MASK, 1, 33, 1, "Overlay Compatibility is 1 and Overlay File Version Number is 33"},
        // Versions of 2^31 and above: bit (version - 1) mod 32 without overflow.
        {check_airport_compat, P_AIRPORT_MASK, 0x80000000, int(0x80000000u), 1,
         "Map Compatibility is -2147483648 and Map Major Version Number is -2147483648"},
        {check_obstacle_compat, P_OBSTACLE_MASK, 0x80000000, int(0x80000000u), 1,
         "Obstacle Compatibility is -2147483648 and Obstacle File Version Number is -2147483648"},
        {check_airport_compat_serial, P_AIRPORT_MASK_SERIAL, 4, 3, 1,
         "Map Compatibility is 4 and Map Major Version Number is 3"},
        {check_terrain_compat_serial, P_TERRAIN_MASK_SERIAL, 4, 2, 0,
         "Terrain Compatibility is 4 and Terrain Major Version Number is 2"},
    };
    TempDir dir;
    log_open_path(dir.file("Loader.LOG"));
    std::string expected_log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log_line);
        set_p_word(c.mask_at, c.mask);
        EXPECT_EQ(c.check(c.version), c.compatible);
        expected_log += c.log_line + "\n";
    }
    log_close();
    std::string log = read_whole_file(dir.file("Loader.LOG"));
    std::erase(log, '\r');  // text mode on Windows adds its own
    EXPECT_EQ(log, expected_log);
}

TEST_F(IdentityTest, UnitNumberOnlyWhileThePTableIsValid) {
    g_unit.unit_number = 0x00420017;
    EXPECT_EQ(unit_number_or_none(), unit_number_none);
    g_unit_tables.p_table.valid = true;
    EXPECT_EQ(unit_number_or_none(), 0x00420017u);
}
