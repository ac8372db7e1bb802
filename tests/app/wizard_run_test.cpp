// A run of the program from the log header to the farewell to the unit: the
// page loop's table, the splash picture for the attached unit, and the
// "STOPF"/"STARTF" pair a served unit gets unless a reset was ordered.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/page_loop.h"
#include "app/splash.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
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

const char* name_of(WizardState s) {
    switch (s) {
        case WizardState::setup: return "setup";
        case WizardState::waiting: return "waiting";
        case WizardState::transfer: return "transfer";
        case WizardState::end: return "end";
    }
    return "?";
}
}  // namespace

TEST(PageLoop, EachPageResultLeadsToTheNextPage) {
    struct Case {
        WizardState shown;
        int result;
        WizardState next;
    };
    const Case cases[] = {
        {WizardState::setup, 0, WizardState::end},
        {WizardState::setup, 1001, WizardState::waiting},
        {WizardState::setup, 1002, WizardState::waiting},
        {WizardState::waiting, 0, WizardState::end},
        {WizardState::waiting, 1000, WizardState::setup},
        {WizardState::waiting, 1002, WizardState::setup},
        {WizardState::waiting, 1001, WizardState::transfer},
        {WizardState::transfer, 0, WizardState::end},
        {WizardState::transfer, 1000, WizardState::setup},
        {WizardState::transfer, 1002, WizardState::setup},
        {WizardState::transfer, 4, WizardState::waiting},
        {WizardState::transfer, 1001, WizardState::end},
        {WizardState::transfer, 7, WizardState::end},
    };
    for (const Case& c : cases)
        EXPECT_EQ(name_of(next_wizard_state(c.shown, c.result)), std::string(name_of(c.next)))
            << "page " << name_of(c.shown) << " ended with " << c.result;
}

TEST(Splash, PictureFollowsTheModelText) {
    struct Case {
        const char* model;
        int template_id;
        bool served;
    };
    const Case cases[] = {
        {"", SPLASH_NO_UNIT, false},
        {"RK5200H", SPLASH_RK5200H, true},
        {"RK5250H", SPLASH_FAMILY, true},
        {"XY5250H", SPLASH_FAMILY, true},   // only the third and fourth characters name the family
        {"RK4400H", SPLASH_OTHER_UNIT, false},
        {"RK5270H", SPLASH_OTHER_UNIT, false},
        {"RK5250X", SPLASH_OTHER_UNIT, false},
        {"RK5200", SPLASH_OTHER_UNIT, false},  // no seventh character
        {"RK52", SPLASH_OTHER_UNIT, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splash_template_for(c.model), c.template_id) << '"' << c.model << '"';
        EXPECT_EQ(is_served_model(c.model), c.served) << '"' << c.model << '"';
    }
}

TEST_F(WizardTest, LogHeaderBeginsEveryRun) {
    const std::time_t started = 1700000000;  // 14 or 15 November in every time zone: two-digit day
    write_log_header(started);
    char date[32];
    std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", std::localtime(&started));
    ASSERT_EQ(std::string(date).size(), 24u);
    const std::string rule(73, '=');
    const std::string nl = "\n";
    EXPECT_EQ(log_text(), "\r\n\r\n" + nl + rule + nl + rule + nl + "The current date and time: " + date + nl + nl);
}

TEST_F(WizardTest, WithoutAUnitTheSplashShowsNoUnitAndNothingIsSentAtExit) {
    script_page(SETUP_PAGE, {tech::check([] {
                                 EXPECT_FALSE(page_control(SETUP_PAGE, ID_SETUP_BACK).visible);
                                 EXPECT_FALSE(page_control(SETUP_PAGE, ID_SETUP_BACK).enabled);
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_NO_UNIT, SETUP_PAGE}));
    EXPECT_EQ(page_runs().front().title, program_title()) << "the splash names the program";
    EXPECT_EQ(page_control(SPLASH_NO_UNIT, ID_LEGAL).text, legal_text());
    EXPECT_TRUE(script_boxes().empty());
    const std::string log = log_text();
    EXPECT_TRUE(has(log, "... DoSplash()\n")) << log;
    EXPECT_TRUE(has(log, "... DoSetup()\n")) << log;
    EXPECT_LT(log.find("The current date and time: "), log.find("... DoSplash()"));
}

TEST_F(WizardTest, ServedUnitIsStoppedForTheRunAndStartedAgainAtExit) {
    SimUnit& sim = attach_unit();
    script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE}));
    const std::string transcript = sim.transcript_text();
    const std::size_t stop = transcript.find("> STOPF");
    ASSERT_NE(stop, std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("> STOPF", stop + 1), std::string::npos) << "sent once";
    const std::size_t start = transcript.find("> STARTF");
    ASSERT_NE(start, std::string::npos) << transcript;
    EXPECT_LT(stop, start);
    EXPECT_EQ(transcript.find("> STARTF", start + 1), std::string::npos) << "sent once";
}

TEST_F(WizardTest, ClosingTheSplashEndsTheProgramAndStillRestartsTheUnit) {
    struct Case {
        const char* how;
        TechAction action;
    };
    const Case cases[] = {{"close request", tech::close()}, {"Escape", tech::escape()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        pages_reset();
        SimUnit& sim = attach_unit();
        script_page(SPLASH_RK5200H, {c.action});
        run_wizard(std::time(nullptr));
        EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_RK5200H})) << "no setup page";
        EXPECT_NE(sim.transcript_text().find("> STARTF"), std::string::npos) << "the unit stopped at start runs again";
    }
}

TEST_F(WizardTest, ResetHtawsSendsTheModeAndEndsTheProgramWithoutRestartingFlight) {
    SimUnit& sim = attach_unit();
    script_page(SETUP_PAGE, {tech::click(ID_RESET_UNIT)});
    script_page(RESET_MODE_DIALOG, {tech::check([] {
                                        EXPECT_FALSE(page_control(RESET_MODE_DIALOG, ID_FACTORY_MODE).visible)
                                            << "factory mode is never offered";
                                    }),
                                    tech::click(ID_RESET_CANCEL)});
    script_page(SETUP_PAGE, {tech::click(ID_RESET_UNIT)});
    script_page(RESET_MODE_DIALOG, {tech::click(ID_MAINTENANCE_MODE)});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(),
              (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE, RESET_MODE_DIALOG, RESET_MODE_DIALOG}))
        << "Cancel leaves the setup page open; a mode ends the program";
    EXPECT_EQ(page_runs()[1].result, 0);
    const std::string transcript = sim.transcript_text();
    EXPECT_TRUE(has(transcript, "> RESET 1\n")) << transcript;
    EXPECT_FALSE(has(transcript, "> RESET 0")) << transcript;
    EXPECT_FALSE(has(transcript, "> STARTF")) << "a reset was ordered: the unit restarts by itself\n" << transcript;
}

TEST_F(WizardTest, ResetHtawsWithNoUnitSendsNothingAndStillEnds) {
    script_page(SETUP_PAGE, {tech::click(ID_RESET_UNIT)});
    script_page(RESET_MODE_DIALOG, {tech::click(ID_FLIGHT_MODE)});
    run_wizard(std::time(nullptr));
    EXPECT_EQ(templates_shown(), (std::vector<int>{SPLASH_NO_UNIT, SETUP_PAGE, RESET_MODE_DIALOG}));
}
