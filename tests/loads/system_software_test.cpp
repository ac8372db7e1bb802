// The current-generation system software load against the strict simulated
// unit, run through the whole wizard: the images in their order with their
// headers as control blocks, the hardware check and the configuration backup
// before the first one, the update command, the endings with and without a
// reset, and what every failure shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/parameter_file.h"
#include "formats/byte_order.h"
#include "link/commands.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "loads/software_compatibility.h"
#include "platform/clock.h"
#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"
#include "setup/setup_page.h"
#include "support/text_checks.h"
#include "support/fixtures/load_image_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "unit/identity.h"

namespace {
constexpr uint32_t board = 0x34029FFF;  // runs 0x3400 images without the variant mark
constexpr const char* version = "1.07.hhf";

// The six image files of a set, in sending order.
enum Image { APP, IO, START, SCRC32, EXECS, DATA, IMAGE_COUNT };
constexpr const char* file_names[IMAGE_COUNT] = {"rk5200h_", "rk5200h_io_", "rk5200h_start_",
                                                 "scrc32_",  "update_execs_", "update_data_"};

std::string image_file(Image image, uint32_t payload_size = 0) {
    LoadImageRecipe recipe;
    recipe.id_text = "0x3400";
    recipe.version_text = "1.07";
    if (image >= SCRC32) {
        recipe.type = IMAGE_UPDATE_PAYLOAD;
        recipe.elf = false;
        recipe.payload_size = 3000 + 100 * image;
    }
    if (payload_size) recipe.payload_size = payload_size;
    return build_load_image(recipe);
}

std::vector<uint8_t> bytes_of(const std::string& s, std::size_t from, std::size_t n) {
    return std::vector<uint8_t>(s.begin() + long(from), s.begin() + long(from + n));
}

// The time of the first transcript event holding `text`.
uint64_t event_time(const SimUnit& sim, const std::string& text) {
    for (const SimEvent& e : sim.transcript())
        if (e.text.find(text) != std::string::npos) return e.at_ms;
    ADD_FAILURE() << "no event " << text;
    return 0;
}

// The reset mode the technician picks after Next; -1: none (the dialog is
// answered with a mode, which is then withdrawn before the load starts).
struct ResetChoice {
    int mode;
    int button;
};
constexpr ResetChoice no_reset{-1, ID_FLIGHT_MODE};
constexpr ResetChoice flight{0, ID_FLIGHT_MODE};
constexpr ResetChoice maintenance{1, ID_MAINTENANCE_MODE};
}  // namespace

TEST(SoftwareCompatibility, ImageMustNameTheBoardsIdentifierAndVariant) {
    struct Case {
        uint32_t hardware;
        const char* id_text;
        const char* version_text;
        bool suits;
    };
    const Case cases[] = {
        {0x34019FFF, "0x3400", "A1.07", true},
        {0x34019FFF, "0x3400", "1.07", false},
        {0x34019FFF, "0x3400", "1.A07", false},   // the "A" stands after the first "."
        {0x34019FFF, "0x3400", "A107", false},    // no "." at all
        {0x34029FFF, "0x3400", "1.07", true},
        {0x34029FFF, "0x3400", "A1.07", false},
        {0x34029FFF, "0x3401", "1.07", false},
        {0x34029FFF, "0x000003400", "1.07", true},
        {0x34029FFE, "0x3400", "1.07", false},    // no bits are masked
        {0x34019000, "0x3400", "1.07", false},    // an unknown board takes only identifier 0
        {0x34019000, "0x0000", "1.07", true},
        {0x34019000, "0x0000", "A1.07", false},
        {0x34019000, "0xZZ", "1.07", true},       // a text that reads no number gives 0
        {0x34019000, "0x", "1.07", true},
        {0x34019000, "0x1FFFFFFFF", "1.07", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id_text) + " " + c.version_text);
        std::array<uint8_t, 256> header{};
        std::strcpy(reinterpret_cast<char*>(&header[hdr_id_text]), c.id_text);
        std::strcpy(reinterpret_cast<char*>(&header[hdr_version_text]), c.version_text);
        EXPECT_EQ(software_suits_hardware(c.hardware, header.data()), c.suits);
    }
}

class SystemSoftware : public WizardTest {
protected:
    SimUnit& board_unit(SimConfig config = {}) {
        config.p_table.hardware_id = board;
        return attach_unit(config);
    }
    std::string put(Image image, const std::string& bytes) {
        std::filesystem::create_directories(dir.file("System Files"));
        files[image] = bytes;
        return dir.write(relative(image), bytes);
    }
    // The three programs, and the optional images chosen.
    void put_set(bool scrc32, bool execs, bool data) {
        for (Image i : {APP, IO, START}) put(i, image_file(i));
        if (scrc32) put(SCRC32, image_file(SCRC32));
        if (execs) put(EXECS, image_file(EXECS));
        if (data) put(DATA, image_file(DATA));
    }
    static std::string relative(Image image) { return std::string("System Files/") + file_names[image] + version; }
    std::string path(Image image) const { return dir.file(relative(image)); }

    // The technician's Next with system software and a reset mode; `transfer`
    // acts on the transfer page before the load starts or as it runs.
    void start_load(ResetChoice reset, std::vector<TechAction> transfer = {}) {
        script_page(SETUP_PAGE, {tech::click(LF_SYSTEM_SOFTWARE), tech::click(ID_SETUP_NEXT)});
        script_page(RESET_MODE_DIALOG, {tech::click(reset.button)});
        if (reset.mode == -1) transfer.insert(transfer.begin(), tech::check([] { reset_mode_reset(); }));
        if (!transfer.empty()) script_page(TRANSFER_PAGE, std::move(transfer));
    }
    void run(bool back_to_setup) {
        if (back_to_setup) script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        run_wizard(std::time(nullptr));
    }

    // The images the unit took, checked against their files.
    void expect_taken(const SimUnit& sim, const std::vector<Image>& images) {
        ASSERT_EQ(sim.loads().size(), images.size()) << sim.transcript_text();
        for (std::size_t i = 0; i < images.size(); ++i) {
            SCOPED_TRACE(file_names[images[i]]);
            const SimLoad& load = sim.loads()[i];
            const std::string& file = files[images[i]];
            EXPECT_TRUE(load.accepted) << load.verdict;
            EXPECT_EQ(load.mode, "P");
            EXPECT_EQ(load.control_block, bytes_of(file, 0, 256));
            EXPECT_EQ(load.data, bytes_of(file, 256, file.size() - 256));
        }
    }
    int transfer_result() const {
        for (const PageRun& r : page_runs())
            if (r.template_id == TRANSFER_PAGE) return r.result;
        return -2;
    }
    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
    bool backup_intact(const SimUnit& sim) const {
        return has(read_whole_file(parameter_file_path()), sim.parameters().front());
    }

    std::string files[IMAGE_COUNT];
};

TEST_F(SystemSoftware, WholeSetIsSentInOrderAndEndsByTheResetMode) {
    struct Case {
        bool scrc32, execs, data;
        ResetChoice reset;
    };
    const Case cases[] = {
        {true, true, true, maintenance},
        {true, false, false, flight},
        {false, true, false, no_reset},
        {false, false, true, maintenance},
        {false, false, false, no_reset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scrc32 << c.execs << c.data << " reset " << c.reset.mode);
        pages_reset();
        script_reset();
        SimUnit& sim = board_unit();
        for (Image i : {SCRC32, EXECS, DATA}) std::filesystem::remove(path(i));
        put_set(c.scrc32, c.execs, c.data);
        start_load(c.reset);
        run(c.reset.mode == -1);

        std::vector<Image> sent = {APP, IO, START};
        if (c.scrc32) sent.push_back(SCRC32);
        if (c.execs) sent.push_back(EXECS);
        if (c.data) sent.push_back(DATA);
        expect_taken(sim, sent);
        const std::string transcript = sim.transcript_text();
        EXPECT_LT(transcript.find("> RP"), transcript.find("> P\n")) << "the backup comes first";
        EXPECT_TRUE(backup_intact(sim));
        const bool scripts = c.execs || c.data;
        EXPECT_EQ(occurrences(transcript, "> UP\n"), scripts ? 1u : 0u) << transcript;
        if (scripts) {
            EXPECT_GT(transcript.find("> UP\n"), transcript.rfind("> body")) << "after the last image";
        }
        EXPECT_EQ(has(transcript, "> STARTF"), c.reset.mode == -1) << "a reset unit restarts by itself\n" << transcript;
        const std::string box = status();
        EXPECT_TRUE(has(box, "System Software Load, " + std::to_string(files[APP].size() - 256) + " bytes\r\n"))
            << box;
        EXPECT_EQ(has(box, "SCRC32 Load, "), c.scrc32) << box;
        EXPECT_EQ(has(box, "Update Data Script Load, "), c.data) << box;
        if (c.reset.mode == -1) {
            EXPECT_FALSE(has(transcript, "> RESET")) << transcript;
            EXPECT_TRUE(has(box, "System software load complete\r\n** When finished loading all files\r\n"
                                 "** Reset instrument to activate new system software\r\n"
                                 "** Returning to Setup Dialog momentarily."))
                << box;
            EXPECT_EQ(transfer_result(), 1000);
            EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "System Software Load Complete");
        } else {
            const std::string reset = "> RESET " + std::to_string(c.reset.mode) + "\n";
            EXPECT_EQ(occurrences(transcript, reset), 1u) << transcript;
            EXPECT_EQ(occurrences(transcript, "> RESET"), 1u) << transcript;
            EXPECT_TRUE(has(box, "System software load complete\r\n** RESETTING HTAWS UNIT NOW!!!\r\n"
                                 "** APPLICATION WILL EXIT NOW!!!\r\n"))
                << box;
            EXPECT_EQ(transfer_result(), 0) << "the program ends";
            EXPECT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
            EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "RESETTING HTAWS UNIT");
            const uint64_t reset_at = event_time(sim, reset.substr(2, reset.size() - 3));
            const uint64_t before = scripts ? event_time(sim, "UP") + 2000 : 0;
            EXPECT_GE(reset_at, before + 3000);
            EXPECT_GE(now_ms(), reset_at + 5000) << "the program waits before it ends";
        }
    }
}

TEST_F(SystemSoftware, IncompatibleApplicationIsRefusedBeforeAnythingIsSent) {
    SimUnit& sim = attach_unit();  // a board other than the two known ones
    put_set(false, false, false);
    start_load(flight);
    script_expect_box("Incompatible Versions.\nTry again?", "Error", BOX_YES);
    run(true);
    const std::string transcript = sim.transcript_text();
    EXPECT_FALSE(has(transcript, "> RP")) << transcript;
    EXPECT_FALSE(has(transcript, "> P\n")) << transcript;
    EXPECT_EQ(transfer_result(), 1000);
}

// Each step's four failures: a file gone or cut short when the load starts, a
// control block that cannot be written, and the unit's error text during the
// body (in a piece before the last).
TEST_F(SystemSoftware, EachStepFailsWithItsOwnTextAndAction) {
    enum Failure { open_fails, header_short, setup_refused, body_error };
    struct Case {
        Image image;
        Failure failure;
        const char* box;  // null: no question
        int page_result;
    };
    const Case cases[] = {
        {APP, open_fails, "Unable to open APP file for transmit.\nTry again?", 1000},
        {APP, header_short, "Unable to read APP file header segment.\nTry again?", 1000},
        {APP, setup_refused, nullptr, 1000},
        {APP, body_error, "ERROR transmitting the data.\nTry again?", 1000},
        {IO, open_fails, "Unable to open IO file for transfer.\nTry again?", 1000},
        {IO, header_short, "Unable to read IO file header segment.\nTry again?", 1000},
        {IO, setup_refused, "Error transmitting IO App header.\nTry again?", 1000},
        {IO, body_error, "ERROR transmitting data.\nTry again?", 1000},
        {START, open_fails, "Unable to open START file for transfer.\nTry again?", 1000},
        {START, header_short, "Unable to read START file header segment.\nTry again?", 1000},
        {START, setup_refused, "Failed to send START header block.\nTry again?", 1000},
        {START, body_error, "ERROR transmitting data.", 0},  // whatever the answer, the program ends
        {SCRC32, open_fails, nullptr, 1000},  // skipped: the load completes
        {SCRC32, header_short, "Unable to read scrc32 file header segment.\nTry again?", 1000},
        {SCRC32, setup_refused, nullptr, 1000},
        {SCRC32, body_error, "ERROR transmitting the data.\nTry again?", 1000},
        {EXECS, open_fails, "Unable to open UPDATE_EXECS file for transfer.\nTry again?", 1000},
        {EXECS, header_short, "Unable to read UPDATE_EXECS file header segment.\nTry again?", 1000},
        {EXECS, setup_refused, "Problem writing update_execs header block to unit.\nTry again?", 1000},
        {EXECS, body_error, "ERROR transmitting data.\nTry again?", 1000},
        {DATA, open_fails, "Unable to open UPDATE_DATA file for transfer.\nTry again?", 1000},
        {DATA, header_short, "Unable to read UPDATE_DATA file header segment.\nTry again?", 1000},
        {DATA, setup_refused, "Error transmitting update data header info.\nTry again?", 1000},
        {DATA, body_error, "ERROR transmitting data.\nTry again?", 1000},
    };
    constexpr uint32_t large_payload = 200000;  // four pieces; the others are far smaller
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << file_names[c.image] << " failure " << c.failure);
        pages_reset();
        script_reset();
        SimConfig config;
        if (c.failure == body_error) config.faults.err_at_body_byte = 70000;
        SimUnit& sim = board_unit(config);
        put_set(true, true, true);
        if (c.failure == body_error) put(c.image, image_file(c.image, large_payload));
        std::string changed;  // the file as the load finds it
        if (c.failure == header_short) changed = files[c.image].substr(0, 255);
        if (c.failure == setup_refused) {
            // The cable goes once the unit has answered the image's mode command.
            const std::size_t before = std::size_t(c.image);
            script_on_yield([&sim, before] {
                const std::vector<SimEvent>& events = sim.transcript();
                const auto last = std::find_if(events.rbegin(), events.rend(),
                                               [](const SimEvent& e) { return e.kind == SimEvent::received; });
                if (sim.loads().size() == before && last != events.rend() && last->text == "P")
                    sim.config().faults.cable_pulled_after = 0;
            });
            script_expect_box("Control Block write error", "Note");
        }
        start_load(flight, {tech::check([&] {
                       if (c.failure == open_fails) std::filesystem::remove(path(c.image));
                       if (!changed.empty()) dir.write(relative(c.image), changed);
                   })});
        if (c.box) script_expect_box(c.box, "Error", BOX_YES);
        // Without its cable the unit cannot be started again at exit.
        if (c.failure == setup_refused) script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
        run(c.page_result == 1000 && !(c.image == SCRC32 && c.failure == open_fails));

        const bool completes = c.image == SCRC32 && c.failure == open_fails;
        std::vector<Image> taken;
        for (int i = APP; i < IMAGE_COUNT; ++i)
            if (i < c.image || (completes && i != SCRC32)) taken.push_back(Image(i));
        if (c.failure == body_error) {
            ASSERT_EQ(sim.loads().size(), taken.size() + 1) << sim.transcript_text();
            EXPECT_TRUE(sim.loads().back().accepted) << "the unit's OK came after its error text";
        } else {
            expect_taken(sim, taken);
        }
        EXPECT_EQ(has(status(), "System software load complete"), completes) << status();
        EXPECT_EQ(transfer_result(), completes ? 0 : c.page_result);
        EXPECT_EQ(has(sim.transcript_text(), "> RESET"), completes);
    }
}

// The cable pulled during the application's body, and Cancel in the middle of
// it: each ends within its bound, never with the completion text, and the
// configuration backup taken before stays whole.
TEST_F(SystemSoftware, PulledCableAndCancelEndTheBodyEarly) {
    struct Case {
        const char* name;
        bool pull_cable;
        const char* box;
        int page_result;
    };
    const Case cases[] = {
        {"cable pulled", true, "Operation timed out\nTry again?", 1000},
        {"cancel", false, nullptr, 0},
    };
    constexpr uint32_t payload = 1000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        SimUnit& sim = board_unit();
        put_set(false, false, false);
        put(APP, image_file(APP, payload));
        std::vector<TechAction> during;
        if (c.pull_cable) {
            during.push_back(tech::check([&sim] { sim.config().faults.cable_pulled_after = 0; })
                                 .when_progress_passes(ID_PROGRESS, 300));
        } else {
            during.push_back(
                tech::check([] { g_commands.abort_requested = true; }).when_progress_passes(ID_PROGRESS, 300));
        }
        start_load(flight, std::move(during));
        if (c.box) script_expect_box(c.box, "Error", BOX_YES);
        if (c.pull_cable)
            script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
        else
            sim_port_expect_anomaly("body incomplete");  // dropped by the unit before it is started again
        const uint64_t start = now_ms();
        run(c.page_result == 1000);

        EXPECT_LT(now_ms() - start, 60000u);
        EXPECT_TRUE(sim.loads().empty() || !sim.loads().front().accepted);
        EXPECT_LT(page_control(TRANSFER_PAGE, ID_PROGRESS).position, 500) << "stopped after the piece";
        EXPECT_FALSE(has(status(), "complete")) << status();
        EXPECT_FALSE(has(sim.transcript_text(), "> RESET"));
        EXPECT_EQ(transfer_result(), c.page_result);
        EXPECT_TRUE(backup_intact(sim));
    }
}

// The update command or the reset that cannot be written once every image
// has been taken: never reported as done.
TEST_F(SystemSoftware, CommandsThatCannotBeWrittenAreNotReportedAsSent) {
    struct Case {
        const char* name;
        bool scripts;
        const char* box;  // null: no question
        const char* shown;
        int page_result;
    };
    const Case cases[] = {
        {"update command", true, "ERROR transmitting data.\nTry again?", "Update Execs Script Load, ", 1000},
        {"reset", false, nullptr, "** Reset instrument to activate new system software\r\n", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        SimUnit& sim = board_unit();
        for (Image i : {EXECS, DATA}) std::filesystem::remove(path(i));
        put_set(true, c.scripts, c.scripts);
        const std::size_t images = c.scripts ? 6 : 4;
        // The cable goes once the last image's body is out.
        const std::string last = c.scripts ? "Update Data Script Load, " : "SCRC32 Load, ";
        script_on_yield([this, &sim, last] {
            if (page_runs().empty() || page_runs().back().template_id != TRANSFER_PAGE) return;
            if (has(status(), last) && page_control(TRANSFER_PAGE, ID_PROGRESS).position == 1000)
                sim.config().faults.cable_pulled_after = 0;
        });
        start_load(flight);
        if (c.box) script_expect_box(c.box, "Error", BOX_YES);
        script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
        run(true);
        EXPECT_EQ(sim.loads().size(), images);
        EXPECT_FALSE(has(sim.transcript_text(), "> UP")) << sim.transcript_text();
        EXPECT_FALSE(has(sim.transcript_text(), "> RESET")) << sim.transcript_text();
        EXPECT_FALSE(has(status(), "RESETTING HTAWS UNIT NOW")) << status();
        EXPECT_TRUE(has(status(), c.shown)) << status();
        EXPECT_EQ(transfer_result(), c.page_result);
    }
}

// The transfer page reached without a prepared set asks, and sends nothing.
TEST_F(SystemSoftware, WithoutAPreparedSetNothingIsSent) {
    SimUnit& sim = board_unit();
    set_handed_function(LF_SYSTEM_SOFTWARE);
    ASSERT_TRUE(locate_unit_port());
    unit_close_port();
    g_unit.unit_generation = current_generation;
    g_unit.unit_hardware_id = board;
    g_link.port_found = true;
    script_expect_box("No Loadable Program Image.\nTry again?", "Error", BOX_NO);
    EXPECT_EQ(DoTransfer(), 0);
    EXPECT_FALSE(has(sim.transcript_text(), "> RP")) << sim.transcript_text();
    EXPECT_FALSE(has(sim.transcript_text(), "> P\n")) << sim.transcript_text();
}
