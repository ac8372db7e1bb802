// Which instrument answers, and the parameter file names derived for it.
#include <gtest/gtest.h>

#include <string>

#include "link/link_fixture.h"
#include "link/serial.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "support/sim_port.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
using ModelTest = LinkTest;

std::string in(const std::string& folder, const std::string& name) { return *path_join(folder, name); }
}  // namespace

TEST_F(ModelTest, FreshDetection) {
    struct Case {
        const char* name;
        bool unit_attached;
        uint32_t hardware_id;
        bool silent;
        char corrupt_table;
        std::string model;
    };
    const Case cases[] = {
        {"served model", true, 0x34019000, false, 0, "RK5200H"},
        {"its other variant", true, 0x34029FFF, false, 0, "RK5200H"},
        {"another identifier", true, 0x12345FFF, false, 0, ""},
        {"silent unit", true, 0x34019FFF, true, 0, ""},
        {"a table fails its check", true, 0x34019FFF, false, 'Y', ""},
        {"no instrument", false, 0x34019FFF, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_link_state();
        sim_port_attach(nullptr);
        g_model.remembered_model = "stale";
        if (c.unit_attached) {
            SimConfig config;
            config.p_table.hardware_id = c.hardware_id;
            config.faults.silent = c.silent;
            config.faults.corrupt_table = c.corrupt_table;
            attach(config);
        }
        EXPECT_EQ(detect_model(DETECT_FRESH), c.model);
        EXPECT_FALSE(sim_port_is_open()) << "detection leaves the link closed";
        EXPECT_EQ(detect_model(DETECT_REMEMBERED), c.model);
    }
}

TEST_F(ModelTest, RememberedFormLeavesTheLinkAlone) {
    attach();
    ASSERT_EQ(detect_model(DETECT_FRESH), "RK5200H");
    EXPECT_EQ(g_unit.unit_generation, 4);
    const std::size_t events = unit->transcript().size();
    EXPECT_EQ(detect_model(DETECT_REMEMBERED), "RK5200H");
    EXPECT_EQ(unit->transcript().size(), events);
}

TEST_F(ModelTest, ParameterFileNames) {
    SimConfig config;
    config.p_table.unit_number = 0x0000AB12;
    attach(config);
    ASSERT_EQ(detect_model(DETECT_FRESH), "RK5200H");
    g_model.start_directory = "/srv/uploads";
    derive_parameter_file_names("RK5200H", 1700000000);
    const ParameterFileNames& names = g_model.parameter_files;
    EXPECT_EQ(names.default_backup_name, "Params_SN0000ab12.dat");
    EXPECT_EQ(names.serial_text, "0000ab12");
    EXPECT_EQ(names.hass_path, in("/srv/uploads", "RK5200H_HASS_Config.dat"));
    EXPECT_EQ(names.no_gamma_path, in("/srv/uploads", "RK5200H_NOGAMMA.dat"));
    EXPECT_EQ(names.temporary_path, in(temp_folder(), "RK5200H_Param_1700000000.dat"));

    derive_parameter_file_names("", 1700000001);
    EXPECT_EQ(names.hass_path, in("/srv/uploads", "_HASS_Config.dat"));
    EXPECT_EQ(names.temporary_path, in(temp_folder(), "_Param_1700000001.dat"));

    g_model.start_directory = std::string(250, 'd');
    derive_parameter_file_names("RK5200H", 1700000002);
    EXPECT_EQ(names.hass_path, "") << "an over-long path is refused, not cut short";
}
