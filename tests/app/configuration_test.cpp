#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "setup/setup_layout.h"
#include "support/text_checks.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
std::vector<int> templates_shown() {
    std::vector<int> shown;
    for (const PageRun& run : page_runs()) shown.push_back(run.template_id);
    return shown;
}
}  // namespace

TEST_F(WizardTest, ConfigurationReadFromSetupToFileAndBack) {
    SimUnit& sim = attach_unit();
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                             tech::click(ID_SETUP_NEXT)});
    script_page(SETUP_PAGE, {tech::check([] {
                                 EXPECT_TRUE(page_control(SETUP_PAGE, LF_READ_CONFIG).checked)
                                     << "the last function is selected again";
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(),
              (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE, WAITING_PAGE, TRANSFER_PAGE, SETUP_PAGE}));
    EXPECT_EQ(read_whole_file(dir.file("Parameter Files/backup.dat")), lines_of(sim.parameters()));
    EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Configuration Read Complete");
    const std::string box = page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
    EXPECT_NE(box.find("Communications ready\r\nReading configuration from unit\r\n"), std::string::npos) << box;
    EXPECT_NE(box.find("Done reading configuration\r\nConfiguration read complete\r\n"), std::string::npos) << box;
    const std::string transcript = sim.transcript_text();
    EXPECT_NE(transcript.find("> STOPF"), std::string::npos);
    EXPECT_NE(transcript.find("> RP"), std::string::npos);
    EXPECT_NE(transcript.find("> STARTF"), std::string::npos);
    const std::string log = log_text();
    EXPECT_NE(log.find(sim.parameters().front() + "\r\n"), std::string::npos) << "each line is noted in the log";
}

TEST_F(WizardTest, ConfigurationReadCutShortKeepsThePreviousBackup) {
    SimConfig config;
    // More lines than one read of the port takes.
    for (int i = 0; i < 400; ++i) config.parameters.push_back("Extra" + std::to_string(1000 + i) + " 0x0000ABCD");
    SimUnit& sim = attach_unit(config);
    std::filesystem::create_directories(dir.file("Parameter Files"));
    // Not in the unit's format on purpose: the old file is kept as it was, byte for byte.
    const std::string previous = "Old One 0x00000001\r\nOld Two 0x00000002\nno line end";
    dir.write("Parameter Files/backup.dat", previous);

    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                             tech::click(ID_SETUP_NEXT)});
    // The cable comes out after some lines have been stored.
    script_page(TRANSFER_PAGE, {tech::check([&sim] {
                                    sim.config().faults.cable_pulled_after = 0;
                                    const uint8_t jolt = 0;  // the link dies at the next byte the unit sees
                                    sim.receive(&jolt, 1, now_ms());
                                    ASSERT_FALSE(sim.connected());
                                }).when_progress_passes(ID_PROGRESS, 100)});
    script_expect_box("Problem reading configuration\nTry again?", "Error", BOX_NO);
    script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE, WAITING_PAGE, TRANSFER_PAGE}));
    EXPECT_EQ(page_runs().back().result, 0) << "No quits the program";
    EXPECT_EQ(read_whole_file(dir.file("Parameter Files/backup.dat")), previous);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Parameter Files/backup.dat.part")))
        << "nothing of the broken read is left behind";
    const std::string box = page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
    EXPECT_EQ(box.find("Done reading configuration"), std::string::npos) << box;
    EXPECT_NE(log_text().find("Error:Problem reading configuration\nTry again?"), std::string::npos);
}

TEST_F(WizardTest, ConfigurationReadRefusesAMalformedLineAndAsksAgain) {
    struct Case {
        const char* line;
        const char* trace;
    };
    const Case cases[] = {
        {"Bad/Name 0x00000001", "3: iRet = 19, i = 3, ch = \"/\", ch(hex) = 0x2f, \r\nwork = \"Bad/Name 0x00000001\"\r\n"},
        {"Bad Value 0x00G00001", "4: iRet = 20, i = 14, ch = \"G\", \r\nwork = \"Bad Value 0x00G00001\"\r\n"},
        {"abc", "5: iRet = 3, \r\nwork = \"abc\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        pages_reset();
        SimConfig config;
        config.parameters.insert(config.parameters.begin() + 2, c.line);
        attach_unit(config);
        std::filesystem::remove_all(dir.file("Parameter Files"));
        std::filesystem::create_directories(dir.file("Parameter Files"));
        dir.write("Parameter Files/backup.dat", "Previous 0x00000000\n");
        script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                                 tech::click(ID_SETUP_NEXT)});
        script_expect_box("Problem reading configuration\nTry again?", "Error", BOX_YES);
        script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        run_wizard(std::time(nullptr));
        EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE, WAITING_PAGE, TRANSFER_PAGE,
                                                       SETUP_PAGE}))
            << "Yes returns to the setup page";
        const std::string box = page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
        EXPECT_NE(box.find(std::string("Problem reading HTAWS parameters\r") + c.trace), std::string::npos) << box;
        EXPECT_EQ(read_whole_file(dir.file("Parameter Files/backup.dat")), "Previous 0x00000000\n");
        EXPECT_NE(log_text().find("Configuration File Transfer Error ... Abort Parameter Read\n"), std::string::npos);
    }
}
