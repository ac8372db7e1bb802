// The waiting page: finding the unit with the technician's retries, reading
// its tables, and the questions asked when the chosen database does not suit
// the unit's software.
#include <gtest/gtest.h>

#include <string>

#include "app/page_layouts.h"
#include "app/waiting_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/unit_names.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "link/commands.h"
#include "setup/setup_page.h"
#include "support/text_checks.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
const char* const not_found = "Could not find USB device\nPlease check connections";
const char* const not_opened = "Could not open USB port\nPlease check connections";

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

class WaitingPage : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        map_file_reset();
        sectioned_file_reset();
    }
};

TEST_F(WaitingPage, RetriesTheSearchThenCancelReturnsToSetup) {
    set_handed_function(LF_READ_CONFIG);
    script_expect_box(not_found, "Error", BOX_RETRY);
    script_expect_box(not_found, "Error", BOX_RETRY);
    script_expect_box(not_found, "Error", BOX_CANCEL);
    EXPECT_EQ(DoWaiting(), 1000);
    EXPECT_TRUE(g_commands.abort_requested);
    const std::string log = log_text();
    EXPECT_EQ(count_of(log, "looking for USB...\n"), 3) << log;
    EXPECT_EQ(count_of(log, "USB not found...\n"), 3) << log;
    EXPECT_EQ(count_of(log, std::string(not_found) + "\n"), 3) << log;
}

TEST_F(WaitingPage, AfterTenSearchesTheOpenQuestionIsAsked) {
    set_handed_function(LF_READ_CONFIG);
    for (int i = 0; i < 10; ++i) script_expect_box(not_found, "Error", BOX_RETRY);
    script_expect_box(not_opened, "Error", BOX_CANCEL);
    EXPECT_EQ(DoWaiting(), 1000);
    EXPECT_EQ(count_of(log_text(), "looking for USB...\n"), 10);
}

TEST_F(WaitingPage, FoundUnitPassesToTheTransferPageByItself) {
    attach_unit();
    set_handed_function(LF_READ_CONFIG);
    EXPECT_EQ(DoWaiting(), 1001);
    EXPECT_TRUE(script_boxes().empty());
    EXPECT_FALSE(page_control(WAITING_PAGE, ID_NEXT).visible) << "the technician does nothing here";
    const std::string log = log_text();
    EXPECT_TRUE(has(log, "... DoWaiting()\nlooking for USB...\n...USB Serial Gadget found\n")) << log;
    EXPECT_TRUE(has(log, "Validating Information\nSerial Number From Unit:12345678\n")) << log;
    EXPECT_FALSE(has(log, "compatibility")) << "no database was chosen: " << log;
}

TEST_F(WaitingPage, TheUnitWhoseTablesWereReadNamesTheBackup) {
    SimConfig swapped;
    swapped.p_table.unit_number = 0x0badcafe;
    attach_unit(swapped);
    set_unit_names({"12345678", "Params_SN12345678.dat"});
    set_handed_function(LF_DOWNLOAD_RECORDING);
    EXPECT_EQ(DoWaiting(), 1001);
    EXPECT_EQ(unit_names().serial_text, "0badcafe");
    EXPECT_EQ(unit_names().default_backup_name, "Params_SN0badcafe.dat");
}

TEST_F(WaitingPage, UnreadableTablesAreReportedAndThePageStays) {
    SimConfig config;
    config.faults.unanswered = {"QP"};
    attach_unit(config);
    set_handed_function(LF_READ_CONFIG);
    script_expect_box("Could not get configuration information from unit", "Loader Error");
    script_page(WAITING_PAGE, {tech::wait(60000), tech::close()});
    EXPECT_EQ(DoWaiting(), 0) << "the page waited until it was closed";
    EXPECT_TRUE(has(log_text(), "Could not get configuration information from unit\n"));
}

// A unit that never answers the wake-up: the page, and the log, say which port
// was tried and how often, in place of "This may take a few seconds...".
TEST_F(WaitingPage, SilentUnitIsNamedWithItsPortAndTheAttempts) {
    SimConfig config;
    config.faults.silent = true;
    attach_unit(config);
    set_handed_function(LF_READ_CONFIG);
    const char* const reason = "The unit on sim did not answer after 20 attempts.";
    script_page(WAITING_PAGE, {tech::wait(60000), tech::check([reason] {
                                   EXPECT_EQ(page_control(WAITING_PAGE, ID_WAITING_TEXT).text,
                                             std::string("  ") + reason);
                               }),
                               tech::close()});
    EXPECT_EQ(DoWaiting(), 0);
    EXPECT_TRUE(log_text().ends_with(std::string(reason) + "\n")) << log_text();
}

TEST_F(WaitingPage, MismatchedDatabaseAsksWhetherToReturnOrQuit) {
    struct Case {
        LoaderFunction function;
        const char* told;
        const char* last_line;
    };
    const Case cases[] = {
        {LF_AIRPORT, "Map compatibility Mis-match\r\nNew Program Must be Loaded First!",
         "Return to Setup(YES) or Quit (NO)"},
        {LF_TERRAIN, "Terrain compatibility Mis-match\r\nNew Program Must be Loaded First!",
         "Return to Setup (YES) or Quit (NO)"},
        {LF_OBSTACLE, "Obstacle compatibility Mis-match\r\nNew Program Must be Loaded First!",
         "Return to Setup (YES) or Quit (NO)"},
        {LF_OVERLAY, "Overlay compatibility Mis-match\r\nNew Program Must be Loaded First!",
         "Return to Setup (YES) or Quit (NO)"},
    };
    // The database files were never read: version 0 against masks without its bit.
    SimConfig config;
    config.p_table.airport_mask = 0x7FFFFFFF;
    config.p_table.terrain_mask = 0xFFFFFFFE;
    config.p_table.obstacle_mask = 0x7FFFFFFF;
    config.p_table.overlay_mask = 0x7FFFFFFF;
    attach_unit(config);
    for (const Case& c : cases) {
        for (const int answer : {BOX_YES, BOX_NO}) {
            SCOPED_TRACE(std::string(c.told) + (answer == BOX_YES ? " / Yes" : " / No"));
            set_handed_function(c.function);
            script_expect_box(std::string(c.told) + "\r\n" + c.last_line, "Error", answer);
            EXPECT_EQ(DoWaiting(), answer == BOX_YES ? 1000 : 0);
            EXPECT_EQ(g_commands.abort_requested, answer == BOX_NO);
            EXPECT_TRUE(has(log_text(), std::string(c.told) + "\n")) << "logged without its last line";
            EXPECT_EQ(script_pending(), 0u);
        }
    }
}

TEST_F(WaitingPage, MatchingDatabaseIsLoggedAndPasses) {
    struct Case {
        LoaderFunction function;
        const char* logged;
    };
    const Case cases[] = {
        {LF_AIRPORT, "Map compatibility Matched!\n"},
        {LF_TERRAIN_DATA, "Terrain compatibility Matched!\n"},
        {LF_OBSTACLE, "Obstacle compatibility Matched!\n"},
        {LF_OVERLAY, "Overlay compatibility Matched!\n"},
    };
    SimConfig config;
    config.p_table.airport_mask = 0x80000000;  // version 0 is bit 31 for the masks counted from 1
    config.p_table.terrain_mask = 0x00000001;
    config.p_table.obstacle_mask = 0x80000000;
    config.p_table.overlay_mask = 0x80000000;
    attach_unit(config);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        set_handed_function(c.function);
        EXPECT_EQ(DoWaiting(), 1001);
        EXPECT_TRUE(has(log_text(), c.logged));
    }
    EXPECT_TRUE(script_boxes().empty());
}
