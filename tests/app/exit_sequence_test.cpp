// Every way the wizard ends, against the strict simulated unit: a unit stopped
// at start is started again unless a reset restarts it, and a unit that can no
// longer be reached is named as possibly stopped, as the last thing shown.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <functional>
#include <string>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "output/transfer_display.h"
#include "platform/clock.h"
#include "setup/setup_layout.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/text_checks.h"

namespace {
void obstacle_file(const TempDir& top) {
    std::filesystem::create_directories(top.file("Obstacle Files"));
    top.write("Obstacle Files/61734-ODB-0001-00001.bin",
              build_sectioned_file({.version = 2, .data = filler_bytes(200000, 7)}));
}

// A set for the board 0x3400, which the simulated unit's default board is not.
void system_files(const TempDir& top) {
    std::filesystem::create_directories(top.file("System Files"));
    for (const char* name : {"rk5200h_", "rk5200h_io_", "rk5200h_start_"})
        top.write(std::string("System Files/") + name + "1.07.hhf",
                  build_load_image({.id_text = "0x3400", .version_text = "1.07", .payload_size = 120000}));
    for (const char* name : {"scrc32_", "update_execs_", "update_data_"})
        top.write(std::string("System Files/") + name + "1.07.hhf",
                  build_load_image({.type = IMAGE_UPDATE_PAYLOAD, .id_text = "0x3400", .version_text = "1.07",
                                    .elf = false, .payload_size = 3000}));
}

void load_obstacles() { script_page(SETUP_PAGE, {tech::click(LF_OBSTACLE), tech::click(ID_SETUP_NEXT)}); }
}  // namespace

TEST_F(WizardTest, EveryEndingStartsTheStoppedUnitAgainOrSaysItCouldNot) {
    struct Ending {
        const char* name;
        void (*prepare)(const TempDir& top, SimConfig& unit);
        std::function<void()> script;
        const char* last;  // the unit's last command; nullptr when it is gone
        bool cancelled;    // the technician stopped a running load
    };
    const Ending endings[] = {
        {"Exit on the setup page", [](const TempDir&, SimConfig&) {},
         [] { script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)}); }, "STARTF", false},
        {"a completed load, then Exit", [](const TempDir& top, SimConfig&) { obstacle_file(top); },
         [] {
             load_obstacles();
             script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
         },
         "STARTF", false},
        // The reset mode was chosen for after the load, which never came.
        {"No after \"Incompatible Versions.\" with a reset mode chosen",
         [](const TempDir& top, SimConfig&) { system_files(top); },
         [] {
             script_page(SETUP_PAGE, {tech::click(LF_SYSTEM_SOFTWARE), tech::click(ID_SETUP_NEXT)});
             script_page(RESET_MODE_DIALOG, {tech::click(ID_MAINTENANCE_MODE)});
             script_expect_box("Incompatible Versions.\nTry again?", "Error", BOX_NO);
         },
         "STARTF", false},
        {"No after the unit refused the load", [](const TempDir& top, SimConfig& unit) {
             obstacle_file(top);
             unit.faults.refused_modes = 'P';
         },
         [] {
             load_obstacles();
             script_expect_box("Unit replied with an error.\nTry again?", "Error", BOX_NO);
         },
         "STARTF", false},
        {"Escape during a load", [](const TempDir& top, SimConfig&) { obstacle_file(top); },
         [] {
             load_obstacles();
             script_page(TRANSFER_PAGE, {tech::escape().when_progress_passes(ID_PROGRESS, 300)});
         },
         "STARTF", true},
        {"Ctrl-C during a load", [](const TempDir& top, SimConfig&) { obstacle_file(top); },
         [] {
             load_obstacles();
             script_page(TRANSFER_PAGE,
                         {tech::check([] { script_end_request(SIGINT); }).when_progress_passes(ID_PROGRESS, 300)});
         },
         "STARTF", true},
        {"Reset HTAWS", [](const TempDir&, SimConfig&) {},
         [] {
             script_page(SETUP_PAGE, {tech::click(ID_RESET_UNIT)});
             script_page(RESET_MODE_DIALOG, {tech::click(ID_MAINTENANCE_MODE)});
         },
         "RESET 1", false},
        {"the cable pulled during a load", [](const TempDir& top, SimConfig& unit) {
             obstacle_file(top);
             unit.faults.cable_pulled_after = 60000;
         },
         [] {
             load_obstacles();
             script_answer_unexpected([](const RecordedBox& box) {
                 return has(box.text, "Try again") ? BOX_NO : BOX_OK;
             });
         },
         nullptr, false},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.name);
        anomalies_allowed = true;  // a load cut short leaves the unit a short body
        SimConfig config;
        e.prepare(dir, config);
        SimUnit& sim = attach_unit(config);
        e.script();
        uint64_t last_answer_ms = 0;
        script_on_page([&last_answer_ms](int, bool) { last_answer_ms = now_ms(); });
        const std::size_t log_before = log_text().size();
        run_wizard(std::time(nullptr));
        const uint64_t ended_ms = now_ms();

        const std::string log = log_text().substr(log_before);
        const bool gone = e.last == nullptr;
        if (gone)
            EXPECT_NE(last_unit_command(sim), "STARTF") << "the unit was gone\n" << sim.transcript_text();
        else
            EXPECT_EQ(last_unit_command(sim), e.last) << sim.transcript_text();
        EXPECT_EQ(procedure_cancelled(), e.cancelled);
        EXPECT_EQ(has(log, "Cancelling..."), e.cancelled) << log;
        if (e.cancelled || gone) {
            EXPECT_FALSE(has(log, "Transfer complete")) << "a body cut short\n" << log;
        }
        EXPECT_EQ(!farewell_warning().empty(), gone) << farewell_warning();
        EXPECT_EQ(has(log, "Restarting the unit's flight functions..."), !gone && e.last == std::string("STARTF"))
            << log;
        if (gone) {
            ASSERT_FALSE(script_boxes().empty());
            EXPECT_EQ(script_boxes().back().caption, unit_not_restarted_caption) << "the last thing the technician sees";
            EXPECT_TRUE(has(script_boxes().back().text, "flight functions may still be stopped"));
            EXPECT_LT(ended_ms - last_answer_ms, 5000u) << "a port that is gone is not tried again and again";
        }
        finish_run();
        start_run();
    }
}
