// Writing a parameter file to the unit, from the setup page to what the
// simulated unit holds afterwards: ordinary files keep their hands off the
// factory settings, factory files need a matching model and serial (or
// UNIVERSAL) and the technician's confirmation, bad lines are skipped with a
// box each, and a blank line ends the data.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "platform/window.h"
#include "setup/setup_layout.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"

namespace {
const char* const confirm_text =
    "You are about to update the Factory Settings.\nDoing this may make your unit inoperable.\n"
    "This operation should be performed only under \nthe explicit direction of the Veltra factory.\n\n"
    "Do you wish to update the Factory Settings?";
const char* const wrong_model =
    "Selected configuration file is incompatible with the connected unit model.\nConfiguration file upload aborted.";
const char* const wrong_serial =
    "Selected configuration file is incompatible with the connected unit serial number.\n"
    "Configuration file upload aborted.";

struct Box {
    std::string text;
    std::string caption;
    int answer;
};

Box confirm(int answer) { return {confirm_text, "FACTORY SETTING OVERWRITE", answer}; }
Box refusal(const char* text) { return {text, "CONFIGURATION FILE ERROR", BOX_OK}; }
Box ignored(const std::string& text) { return {text, "Configuration Character Error ...", BOX_OK}; }

// The lines the unit received after "WP", up to the empty line that ends
// them; nothing when "WP" was never sent.
std::vector<std::string> lines_after_wp(const std::string& transcript) {
    std::vector<std::string> lines;
    std::size_t at = transcript.find("> WP\n");
    if (at == std::string::npos) return lines;
    at += 5;
    while (at < transcript.size()) {
        const std::size_t end = transcript.find('\n', at);
        const std::string line = transcript.substr(at, end - at);
        at = end + 1;
        if (line.rfind("> ", 0) != 0) continue;
        if (line == "> ") break;
        lines.push_back(line.substr(2));
    }
    return lines;
}

std::string held(const SimUnit& sim, const std::string& name) {
    for (const std::string& line : sim.parameters())
        if (line.rfind(name + " 0x", 0) == 0) return line;
    return "(none)";
}
}  // namespace

TEST_F(WizardTest, ConfigurationWritesFromTheSetupPageToTheUnit) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<Box> boxes;
        std::vector<std::string> sent;  // empty: "WP" is never sent
    };
    const std::vector<Case> cases = {
        {"ordinary file: factory settings are left alone",
         "Audio Volume 0x00000007\nLCD dim min fac 0x00000099\nTerrain Offset 0x00000001\nSpeed.Limit 0x000000FA\n",
         {},
         {"Audio Volume 0x00000007", "Speed.Limit 0x000000FA"}},
        {"factory file for this unit's serial, confirmed",
         "ModelID=RK5200H Serial=12345678\nLCD dim min fac 0x00000099\nAudio Volume 0x00000007\n",
         {confirm(BOX_YES)},
         {"LCD dim min fac 0x00000099", "Audio Volume 0x00000007"}},
        {"factory file for any unit of the model, in lower case",
         "ModelID=rk5200h-B Serial=universal rev 2\nTerrain Offset 0x00000010\n",
         {confirm(BOX_YES)},
         {"Terrain Offset 0x00000010"}},
        {"factory file, confirmation declined", "ModelID=RK5200H Serial=12345678\nAudio Volume 0x00000007\n",
         {confirm(BOX_NO)},
         {}},
        {"factory file for another unit", "ModelID=RK5200H Serial=12345679\nAudio Volume 0x00000007\n",
         {refusal(wrong_serial)},
         {}},
        {"factory file for another model", "ModelID=RK5250H Serial=UNIVERSAL\nAudio Volume 0x00000007\n",
         {refusal(wrong_model)},
         {}},
        {"model without serial is an ordinary first line, checked like data",
         "ModelID=RK5200H 0x00000001\nAudio Volume 0x00000007\n",
         {ignored("Ignoring configuration value\n\nModelID=RK5200H 0x00000001 \n\nInvalid character found. '='(61)#7")},
         {"Audio Volume 0x00000007"}},
        {"bad lines are skipped one by one and the rest goes on",
         "Audio Volume 0x00000007\nDisplay Brightness 0x000000G0\nBad/Name 0x00000001\nSpeed.Limit 0x00000001\n",
         {ignored("Ignoring configuration value\n\nDisplay Brightness 0x000000G0 \n\nInvalid hex character found. "
                  "'G'(71)#27"),
          ignored("Ignoring configuration value\n\nBad/Name 0x00000001 \n\nInvalid character found. '/'(47)#3")},
         {"Audio Volume 0x00000007", "Speed.Limit 0x00000001"}},
        // The character rules let "abc" pass, but the unit refuses a whole list holding it.
        {"a short line without a name and value is skipped",
         "Audio Volume 0x00000007\nabc\n",
         {ignored("Ignoring configuration value\n\nabc \n\nNo name with a value of \"0x\" and eight hex digits found.")},
         {"Audio Volume 0x00000007"}},
        {"a blank line ends the data; trailing blanks are trimmed",
         "Audio Volume 0x00000003 \t\r\n  \t\r\nSpeed.Limit 0x00000001\n",
         {},
         {"Audio Volume 0x00000003"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pages_reset();
        script_reset();
        SimUnit& sim = attach_unit();
        const std::vector<std::string> before = sim.parameters();
        std::filesystem::remove_all(dir.file("Parameter Files"));
        std::filesystem::create_directories(dir.file("Parameter Files"));
        dir.write("Parameter Files/settings.dat", c.file);
        for (const Box& box : c.boxes) script_expect_box(box.text, box.caption, box.answer);
        script_page(SETUP_PAGE, {tech::click(LF_WRITE_CONFIG), tech::click(ID_SETUP_NEXT)});
        script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        run_wizard(std::time(nullptr));

        ASSERT_GE(page_runs().size(), 4u);
        const PageRun& transfer = page_runs()[3];
        ASSERT_EQ(transfer.template_id, TRANSFER_PAGE);
        EXPECT_EQ(transfer.result, 1000) << "back to the setup page in either case";
        EXPECT_EQ(script_pending(), 0u);
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(lines_after_wp(transcript), c.sent) << transcript;
        const std::string box = page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
        if (c.sent.empty()) {
            EXPECT_EQ(transcript.find("> WP"), std::string::npos) << "nothing is sent before the checks pass";
            EXPECT_EQ(sim.parameters(), before);
            EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Configuration Write Aborted");
            EXPECT_NE(box.find("Configuration write aborted\r\nReturning to Setup dialog momentarily.\r\n"),
                      std::string::npos)
                << box;
        } else {
            EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Configuration Write Complete");
            EXPECT_NE(box.find("Sending configuration to unit\r\n"), std::string::npos) << box;
            EXPECT_NE(box.find("Writing to configuration module\r\nThis may take a minute...\r\n"), std::string::npos)
                << box;
            EXPECT_NE(box.find("Configuration write complete\r\nReturning to Setup dialog momentarily.\r\n"),
                      std::string::npos)
                << box;
            for (const std::string& line : c.sent)
                if (line.size() > 10) {
                    EXPECT_EQ(held(sim, line.substr(0, line.size() - 11)), line) << "the unit holds what was sent";
                }
            if (c.sent.size() > 1) {
                EXPECT_EQ(page_control(TRANSFER_PAGE, ID_PROGRESS).position, 1000);
            }
        }
        // What an ordinary file may not touch stays as the unit had it.
        if (c.boxes.empty() || c.boxes.front().caption != "FACTORY SETTING OVERWRITE") {
            EXPECT_EQ(held(sim, "LCD dim min fac"), "LCD dim min fac 0x00000010");
            EXPECT_EQ(held(sim, "Terrain Offset"), "Terrain Offset 0x00000000");
        }
    }
}

// A unit that stops answering before the write ends it like a Cancel, with
// the page left open: the technician still reads that nothing was written.
TEST_F(WizardTest, ConfigurationWriteToAUnitThatStoppedAnsweringSaysItWasAborted) {
    SimUnit& sim = attach_unit();
    std::filesystem::create_directories(dir.file("Parameter Files"));
    dir.write("Parameter Files/settings.dat", "Audio Volume 0x00000007\n");
    script_page(SETUP_PAGE, {tech::click(LF_WRITE_CONFIG), tech::click(ID_SETUP_NEXT)});
    script_page(TRANSFER_PAGE, {tech::check([&sim] { sim.config().faults.silent = true; }), tech::wait(60000),
                                tech::escape()});
    script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
    run_wizard(std::time(nullptr));

    EXPECT_EQ(sim.transcript_text().find("> WP"), std::string::npos) << sim.transcript_text();
    EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Configuration Write Aborted");
    EXPECT_NE(page_control(TRANSFER_PAGE, ID_STATUS_BOX).text.find("Configuration write aborted\r\n"),
              std::string::npos);
}
