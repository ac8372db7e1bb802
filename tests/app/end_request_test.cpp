// A request from outside to end the program (Ctrl-C, a closed terminal,
// SIGTERM) closes whatever page runs, as its close box would, and the
// program still says farewell to the unit.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "platform/clock.h"
#include "platform/page_model.h"
#include "setup/setup_layout.h"
#include "support/text_checks.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
std::vector<std::pair<int, int>> runs_and_results() {
    std::vector<std::pair<int, int>> shown;
    for (const PageRun& run : page_runs()) shown.emplace_back(run.template_id, run.result);
    return shown;
}

}  // namespace

TEST_F(WizardTest, EndRequestOnTheSetupPageClosesItAndTheUnitIsStartedAgain) {
    SimUnit& sim = attach_unit();
    script_page(SETUP_PAGE, {tech::check([] { script_end_request(SIGINT); })});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(runs_and_results(), (std::vector<std::pair<int, int>>{{SPLASH_RK5200H, 0}, {SETUP_PAGE, 0}}));
    EXPECT_TRUE(has(sim.transcript_text(), "> STARTF")) << sim.transcript_text();
    EXPECT_EQ(script_actions_pending(), 0u);
}

TEST_F(WizardTest, EndRequestDuringALongWaitForTheUnitEndsTheTransferPageAtOnce) {
    SimConfig config;
    config.faults.unanswered = {"RP"};
    attach_unit(config);
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                             tech::click(ID_SETUP_NEXT)});
    uint64_t requested_at = 0;
    script_on_yield([&requested_at] {
        const auto& running = running_pages();
        if (requested_at == 0 && !running.empty() && running.back()->layout->template_id == TRANSFER_PAGE &&
            has(control_text(running.back(), ID_STATUS_BOX), "Reading configuration")) {
            requested_at = now_ms();
            script_end_request(SIGTERM);
        }
    });
    run_wizard(std::time(nullptr));

    ASSERT_NE(requested_at, 0u) << "the read never waited for the unit";
    ASSERT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
    EXPECT_EQ(page_runs().back().result, 0) << "the page ends as Cancel ends it";
    EXPECT_TRUE(script_boxes().empty()) << "no time-out question: " << script_boxes().front().text;
    // The wait for a reply line lasts 5 s; the farewell's one attempt to reach the unit about 1 s.
    EXPECT_LT(now_ms() - requested_at, 2000u) << "the wait for the reply stopped at once";
}

TEST_F(WizardTest, EndRequestWhileNoPageRunsStopsTheLookForTheUnitAndClosesEveryPage) {
    SimUnit& sim = attach_unit();
    const uint64_t started = now_ms();
    script_on_yield([] {
        if (running_pages().empty()) script_end_request(SIGTERM);
    });
    run_wizard(std::time(nullptr));

    EXPECT_EQ(runs_and_results(), (std::vector<std::pair<int, int>>{{SPLASH_NO_UNIT, 1}}))
        << "the splash is closed, which ends the program";
    EXPECT_FALSE(has(sim.transcript_text(), "> STOPF")) << sim.transcript_text();
    EXPECT_LT(now_ms() - started, 5000u) << "the look for the unit stopped instead of trying for 30 s";
}
