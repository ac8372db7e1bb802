// The setup page with the current-generation link: which boxes and buttons
// each function leaves usable, and which folder it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/splash.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "platform/paths.h"
#include "setup/setup_layout.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

TEST_F(WizardTest, SetupPageControlsFollowTheChosenFunction) {
    struct Case {
        LoaderFunction function;
        bool system, database, parameter, parameter_editable, parameter_button;
        const char* folder;  // "" when the folder box keeps what it showed
    };
    const Case cases[] = {
        {LF_SYSTEM_SOFTWARE, true, false, false, false, false, "System Files"},
        {LF_OS_IMAGE, true, false, false, false, false, "System Files"},
        {LF_BOOT_IMAGE, true, false, false, false, false, "System Files"},
        {LF_TERRAIN, false, true, false, false, false, "Terrain Files"},
        {LF_AIRPORT, false, true, false, false, false, "Airport Files"},
        {LF_OBSTACLE, false, true, false, false, false, "Obstacle Files"},
        {LF_OVERLAY, false, true, false, false, false, "Overlay Files"},
        {LF_READ_CONFIG, false, false, true, true, false, "Parameter Files"},
        {LF_WRITE_CONFIG, false, false, true, false, true, "Parameter Files"},
        {LF_DOWNLOAD_RECORDING, false, false, false, false, false, "Parameter Files"},
        {LF_ERASE_RECORDING, false, false, false, false, false, "Parameter Files"},
    };
    attach_unit();
    std::vector<TechAction> actions{tech::check([] {
        EXPECT_TRUE(page_control(SETUP_PAGE, LF_SYSTEM_SOFTWARE).checked) << "first visit: system software";
        EXPECT_FALSE(page_control(SETUP_PAGE, LF_HASS_CONFIG).visible);
        EXPECT_FALSE(page_control(SETUP_PAGE, LF_NO_GAMMA_CONFIG).visible);
        for (int button : {ID_SYSTEM_BROWSE, ID_DATABASE_BROWSE, ID_PARAMETER_BROWSE})
            EXPECT_EQ(page_control(SETUP_PAGE, button).text, "Select");
        EXPECT_TRUE(page_control(SETUP_PAGE, ID_RESET_UNIT).visible);
        EXPECT_EQ(page_control(SETUP_PAGE, ID_FOOTER).text, legal_text());
    })};
    for (const Case& c : cases) {
        actions.push_back(tech::click(c.function));
        actions.push_back(tech::check([c] {
            SCOPED_TRACE("function " + std::to_string(c.function));
            for (LoaderFunction other : {LF_SYSTEM_SOFTWARE, LF_TERRAIN, LF_READ_CONFIG, LF_ERASE_RECORDING})
                EXPECT_EQ(page_control(SETUP_PAGE, other).checked, other == c.function);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_SYSTEM_BOX).enabled, c.system);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_SYSTEM_BROWSE).enabled, c.system);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_DATABASE_BOX).enabled, c.database);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_DATABASE_BROWSE).enabled, c.database);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).enabled, c.parameter);
            if (c.parameter) {
                EXPECT_EQ(!page_control(SETUP_PAGE, ID_PARAMETER_BOX).read_only, c.parameter_editable);
            }
            EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BROWSE).enabled, c.parameter_button);
            EXPECT_TRUE(ends_with(page_control(SETUP_PAGE, ID_FOLDER_BOX).text, c.folder))
                << page_control(SETUP_PAGE, ID_FOLDER_BOX).text;
        }));
    }
    actions.push_back(tech::click(LF_AIRPORT));
    actions.push_back(tech::click(ID_SETUP_EXIT));
    script_page(SETUP_PAGE, actions);
    run_wizard(std::time(nullptr));
    EXPECT_NE(read_whole_file(dir.file("upload.cfg")).find("APT_DIR="), std::string::npos)
        << "each choice writes the settings file";
}

TEST_F(WizardTest, SetupPageReadConfigurationOffersTheUnitsBackupName) {
    attach_unit();
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::check([] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).text, "Params_SN12345678.dat");
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
}

TEST_F(WizardTest, SetupPageReadConfigurationOffersTheUnitsExistingBackup) {
    attach_unit();
    std::filesystem::create_directories(dir.file("Parameter Files"));
    dir.write("Parameter Files/aa_other_unit.dat", "A 0x00000001\n");
    dir.write("Parameter Files/zz_12345678_backup.dat", "A 0x00000001\n");
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::check([] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).text,
                                           "zz_12345678_backup.dat");
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
}

TEST_F(WizardTest, SetupPageWithoutTheCurrentLinkPicksSingleFiles) {
    struct Case {
        LoaderFunction function;
        bool system, database, parameter, parameter_button;
    };
    // No instrument answered at start: terrain and airport are disabled, so
    // only these functions can be chosen.
    const Case cases[] = {
        {LF_READ_CONFIG, false, false, true, true},
        {LF_WRITE_CONFIG, false, false, true, true},
        {LF_SYSTEM_SOFTWARE, true, false, false, false},
    };
    std::vector<TechAction> actions{tech::check([] {
        EXPECT_FALSE(page_control(SETUP_PAGE, ID_FOLDER_BOX).enabled);
        EXPECT_FALSE(page_control(SETUP_PAGE, ID_FOLDER_BROWSE).enabled);
        EXPECT_FALSE(page_control(SETUP_PAGE, LF_TERRAIN).enabled);
        EXPECT_FALSE(page_control(SETUP_PAGE, LF_AIRPORT).enabled);
        EXPECT_NE(page_control(SETUP_PAGE, ID_SYSTEM_BROWSE).text, "Select");
    })};
    for (const Case& c : cases) {
        actions.push_back(tech::click(c.function));
        actions.push_back(tech::check([c] {
            SCOPED_TRACE("function " + std::to_string(c.function));
            EXPECT_TRUE(page_control(SETUP_PAGE, c.function).checked);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_SYSTEM_BOX).enabled, c.system);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_SYSTEM_BROWSE).enabled, c.system);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_DATABASE_BOX).enabled, c.database);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).enabled, c.parameter);
            EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BROWSE).enabled, c.parameter_button);
        }));
    }
    // The model timer keeps looking for an instrument while the page is open.
    actions.push_back(tech::wait(16000));
    actions.push_back(tech::check([] {
        EXPECT_TRUE(page_control(SETUP_PAGE, LF_SYSTEM_SOFTWARE).checked) << "the choice survives the ticks";
    }));
    actions.push_back(tech::close());
    script_page(SETUP_PAGE, actions);
    run_wizard(std::time(nullptr));
    EXPECT_EQ(page_runs().back().template_id, SETUP_PAGE);
    EXPECT_EQ(page_runs().back().result, 0);
    EXPECT_NE(page_runs().back().title.find("  --  NO INSTRUMENT DETECTED "), std::string::npos)
        << page_runs().back().title;
}

TEST_F(WizardTest, SetupPageTakesUpAUnitPluggedInWhileItIsOpen) {
    const std::string airports = dir.file("Kept Airports");
    std::filesystem::create_directories(airports);
    dir.write("upload.cfg", "APT_DIR=" + airports + "\n");
    script_page(SETUP_PAGE, {tech::check([this] { attach_unit(); }), tech::wait(6000), tech::check([] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_SYSTEM_BROWSE).text, "Select");
                                 EXPECT_TRUE(page_control(SETUP_PAGE, ID_FOLDER_BROWSE).enabled);
                                 EXPECT_TRUE(ends_with(page_control(SETUP_PAGE, ID_FOLDER_BOX).text, "System Files"))
                                     << page_control(SETUP_PAGE, ID_FOLDER_BOX).text;
                             }),
                             tech::click(LF_AIRPORT), tech::check([airports] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_FOLDER_BOX).text, airports);
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
    EXPECT_NE(page_runs().back().title.find("  --  Setup for RK5200H"), std::string::npos) << page_runs().back().title;
    // Lines as written in text mode: CR LF on Windows.
    std::string config = read_whole_file(dir.file("upload.cfg"));
    std::erase(config, '\r');
    EXPECT_NE(config.find("APT_DIR=" + airports + "\n"), std::string::npos) << config;
    EXPECT_EQ(config.find("PGM_DIR=\n"), std::string::npos) << config;
}

// The unit swapped after the page offered the first unit's backup name: the
// configuration read goes to the second unit's own file, and the next visit
// offers that unit's name again, not the one offered before.
TEST_F(WizardTest, ReadConfigurationBacksUpTheUnitWhoseTablesWereRead) {
    attach_unit();
    SimConfig other;
    other.p_table.unit_number = 0x0badcafe;
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::check([this, other] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).text, "Params_SN12345678.dat");
                                 attach_unit(other);
                             }),
                             tech::click(ID_SETUP_NEXT)});
    script_page(SETUP_PAGE, {tech::check([] {
                                 EXPECT_EQ(page_control(SETUP_PAGE, ID_PARAMETER_BOX).text, "Params_SN0badcafe.dat");
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Parameter Files/Params_SN0badcafe.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Parameter Files/Params_SN12345678.dat")))
        << "the first unit's backup is not overwritten";
}

TEST_F(WizardTest, SetupPageRefusesAnOverLongParameterPathInABox) {
    attach_unit();
    const std::string name(250, 'p');
    const std::string path = dir.path() + path_separator + "Parameter Files" + path_separator + name;
    script_expect_box("Path too long (more than 259 characters): " + path, "Error");
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, name),
                             tech::click(ID_SETUP_NEXT), tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
    EXPECT_EQ(page_runs().back().template_id, SETUP_PAGE);
}

TEST(SetupLayout, FolderBoxIsLabelledAsThePickerItOpens) {
    const auto& controls = setup_page_layout().controls;
    EXPECT_TRUE(std::any_of(controls.begin(), controls.end(), [](const ControlDecl& c) {
        return std::string(c.text) == "Select Top Level Directory";
    }));
}

// An earlier-generation unit has no model text, yet its airport and terrain
// loads are offered; no unit at all offers neither.
TEST_F(WizardTest, SetupPageOffersAnEarlierUnitItsAirportAndTerrainLoads) {
    SimConfig config;
    config.generation = 1;
    config.p_table.hardware_id = 0x12345FFF;
    attach_unit(config);
    script_page(SETUP_PAGE, {tech::check([] {
                                 EXPECT_TRUE(page_control(SETUP_PAGE, LF_TERRAIN).enabled);
                                 EXPECT_TRUE(page_control(SETUP_PAGE, LF_AIRPORT).enabled);
                             }),
                             tech::close()});
    run_wizard(std::time(nullptr));
    EXPECT_EQ(page_runs().back().template_id, SETUP_PAGE);
    EXPECT_NE(page_runs().back().title.find("  --  NO INSTRUMENT DETECTED "), std::string::npos);
}
