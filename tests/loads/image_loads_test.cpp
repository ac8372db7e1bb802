// The OS and boot image loads against the strict simulated unit, through the
// whole wizard: the configuration backup before every image, the header with
// its payload checksum negated, the payload in 'D' blocks, the staging file
// with the baud command and the unit's verdict on it, and the failures.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/parameter_file.h"
#include "link/commands.h"
#include "output/transfer_display.h"
#include "setup/setup_layout.h"
#include "support/text_checks.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/load_image_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"

namespace {
std::string os_image(uint32_t payload_size, const std::string& id) {
    return build_load_image({.type = IMAGE_OS, .id_text = id, .elf = false, .payload_size = payload_size});
}

constexpr const char* completion_os = "System OS Image file load complete\r\n";
constexpr const char* completion_boot = "System Boot image load complete\r\n";

class ImageLoads : public WizardTest {
protected:
    // The three OS images: kernel, device tree, root file system.
    std::vector<std::string> images = {os_image(2500, "kernel"), os_image(700, "dtb"), os_image(3000, "rootfs")};

    void put_os_set() {
        const char* names[] = {"uImage_1.07.hhf", "foo_dtb_1.07.hhf", "ubi_img_1.07.hhf"};
        for (std::size_t i = 0; i < images.size(); ++i) put(names[i], images[i]);
    }
    std::string put(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(dir.file("System Files"));
        return dir.write("System Files/" + name, bytes);
    }
    // Chooses the function; `during` scripts the boxes; a page the load left
    // open is closed by the technician.
    void run_load(LoaderFunction function, bool page_left_open, const std::function<void()>& during = {}) {
        script_page(SETUP_PAGE, {tech::click(function), tech::click(ID_SETUP_NEXT)});
        if (during) during();
        if (page_left_open) script_page(TRANSFER_PAGE, {tech::wait(1500), tech::escape()});
        run_wizard(std::time(nullptr));
    }
    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
    std::string title() const { return page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text; }
    // The backup the load made first still holds the unit's configuration.
    void expect_backup_intact(const SimUnit& sim) {
        EXPECT_TRUE(has(read_whole_file(parameter_file_path()), sim.parameters().front())) << parameter_file_path();
    }
    // Runs `change` on the unit once, as soon as `when` holds for it.
    void once(std::function<bool(const SimUnit&)> when, std::function<void(SimUnit&)> change) {
        script_on_yield([this, when, change, done = false]() mutable {
            if (done || !unit || !when(*unit)) return;
            done = true;
            change(*unit);
        });
    }
    void after_loads(std::size_t loads, std::function<void(SimUnit&)> change) {
        once([loads](const SimUnit& u) { return u.loads().size() == loads; }, std::move(change));
    }
    void after_event(const std::string& event, std::function<void(SimUnit&)> change) {
        once([event](const SimUnit& u) { return has(u.transcript_text(), event); }, std::move(change));
    }
};
}  // namespace

TEST_F(ImageLoads, OsImagesGoOutInBlocksWithTheBackupAndTheStagedBaudCommand) {
    SimUnit& sim = attach_unit();
    put_os_set();
    std::set<std::string> lines_while_sending;
    bool transferring = false;
    script_on_page([&transferring](int page, bool opening) { transferring = page == TRANSFER_PAGE && opening; });
    script_on_yield([&lines_while_sending, &transferring] {
        if (transferring) lines_while_sending.insert(page_control(TRANSFER_PAGE, ID_TRANSFER_LINE).text);
    });
    run_load(LF_OS_IMAGE, true);

    // The bar moves with the blocks, not only with the staged send.
    for (const char* line : {"Transferring 1024 of 2500 bytes", "Transferring 2048 of 2500 bytes",
                             "Transferring 2500 of 2500 bytes", "Transferring 3000 of 3000 bytes"})
        EXPECT_TRUE(lines_while_sending.count(line)) << line;
    const std::string transcript = sim.transcript_text();
    ASSERT_EQ(sim.loads().size(), 3u) << transcript;
    for (std::size_t i = 0; i < 3; ++i) {
        const SimLoad& load = sim.loads()[i];
        EXPECT_TRUE(load.accepted) << load.verdict;
        const std::string payload = images[i].substr(256);
        EXPECT_EQ(std::string(load.data.begin(), load.data.end()), payload);
        // The file holds the final value; the unit gets the raw register.
        EXPECT_EQ(be32_at(std::string(load.control_block.begin(), load.control_block.end()), 76),
                  0u - be32_at(images[i], 76));
        EXPECT_EQ(be32_at(std::string(load.control_block.begin(), load.control_block.end()), 76),
                  crc_register_of(payload));
        const std::string sent(load.control_block.begin(), load.control_block.end());
        EXPECT_EQ(sent.substr(0, 76) + sent.substr(80), images[i].substr(0, 76) + images[i].substr(80, 176))
            << "nothing else in the header changes";
    }
    for (const char* block : {"> D block 1024 bytes at 0x00000000", "> D block 1024 bytes at 0x00000400",
                              "> D block 452 bytes at 0x00000800"})
        EXPECT_TRUE(has(transcript, block)) << block << "\n" << transcript;
    EXPECT_EQ(occurrences(transcript, "> RP"), 3u) << "a backup before every image";
    EXPECT_EQ(occurrences(transcript, "> staged BR 115200\\r"), 3u) << transcript;
    const auto second_rp = transcript.find("> RP", transcript.find("> staged"));
    EXPECT_LT(transcript.find("> staged"), second_rp);
    EXPECT_LT(second_rp, transcript.find("> P", second_rp));
    EXPECT_EQ(read_whole_file(dir.file("temp.dat")), "BR 115200\r");
    for (const char* size : {"2500", "700", "3000"})
        EXPECT_TRUE(has(status(), "Load OS Image file, " + std::string(size) + " bytes\r\n")) << status();
    EXPECT_TRUE(has(status(), std::string(completion_os) +
                                  "** When finished loading all files\r\n"
                                  "** Reset instrument to activate new system software\r\n"))
        << status();
    EXPECT_EQ(title(), "System OS Image file Load Complete");
    EXPECT_EQ(page_control(TRANSFER_PAGE, ID_TRANSFER_LINE).text, "Transferring 10 of 10 bytes");
    expect_backup_intact(sim);
}

TEST_F(ImageLoads, BootImageWithAStoredChecksumOfOneReachesTheUnitAsAllOnes) {
    // A well-formed header whose payload checksum is wrong: the unit refuses
    // the image when the staged bytes end it, and the program ends.
    std::string boot = build_load_image({.type = IMAGE_BOOT, .elf = false, .payload_size = 600});
    set_be32(boot, 76, 1);
    reseal_load_image_header(boot);
    SimUnit& sim = attach_unit();
    put("u_boot_1.07.hhf", boot);
    sim_port_expect_anomaly("load checksum mismatch");
    run_load(LF_BOOT_IMAGE, false, [] { script_expect_box("ERROR transmitting data.", "Error", BOX_YES); });

    ASSERT_EQ(sim.loads().size(), 1u);
    const std::vector<uint8_t>& cb = sim.loads()[0].control_block;
    EXPECT_EQ(std::vector<uint8_t>(cb.begin() + 76, cb.begin() + 80), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(sim.loads()[0].accepted);
    EXPECT_EQ(page_runs().back().result, 0);
    EXPECT_FALSE(has(status(), completion_boot)) << status();
    EXPECT_EQ(title(), "Load Boot image");
}

TEST_F(ImageLoads, BootImageCompletesAndLeavesThePageOpen) {
    SimUnit& sim = attach_unit();
    put("u_boot_1.07.hhf", build_load_image({.type = IMAGE_BOOT, .elf = false, .payload_size = 1024}));
    run_load(LF_BOOT_IMAGE, true);
    ASSERT_EQ(sim.loads().size(), 1u) << log_text();
    EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
    EXPECT_TRUE(has(sim.transcript_text(), "> D block 1024 bytes at 0x00000000"));
    EXPECT_FALSE(has(sim.transcript_text(), "> D block 0 bytes"));
    EXPECT_TRUE(has(status(), "Load Boot image, 1024 bytes\r\n" + std::string(completion_boot) +
                                  "** When finished loading all files\r\n"
                                  "** Reset instrument to activate new system software\r\n"))
        << status();
    EXPECT_EQ(title(), "System Boot image Load Complete");
}

TEST_F(ImageLoads, TheBlockDelayFollowsEveryStagedPiece) {
    // From the kernel's staged bytes to the next backup: the block delay, the
    // 2 s settle and the backup's own opening.
    std::vector<uint64_t> gaps;
    for (const uint64_t delay : {0, 700}) {
        SCOPED_TRACE(delay);
        pages_reset();
        script_reset();
        dir.write("upload.cfg", "BLOCK_DLY=" + std::to_string(delay) + "\n");
        SimUnit& sim = attach_unit();
        put_os_set();
        run_load(LF_OS_IMAGE, true);
        ASSERT_EQ(sim.loads().size(), 3u) << sim.transcript_text();
        uint64_t staged_at = 0, next_read_at = 0;
        for (const SimEvent& e : sim.transcript()) {
            if (!staged_at && e.text.rfind("staged", 0) == 0) staged_at = e.at_ms;
            if (staged_at && !next_read_at && e.text == "RP") next_read_at = e.at_ms;
        }
        ASSERT_GT(next_read_at, staged_at + 2000) << sim.transcript_text();
        gaps.push_back(next_read_at - staged_at);
    }
    EXPECT_EQ(gaps[1] - gaps[0], 700u) << "one staged piece, one delay; none with a delay of 0";
}

TEST_F(ImageLoads, AFailedImageEndsTheLoadWithoutACompletionText) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string box;  // answered No; empty: none
        std::size_t images_begun;  // mode commands the unit received
        std::size_t accepted;      // images the unit took
        const char* title;         // the page's title at the end
    };
    const std::string kernel_second_block = "> D block 1024 bytes at 0x00000400";
    const Case cases[] = {
        {"the unit's error after the device tree's staged bytes",
         [this] { after_loads(1, [](SimUnit& u) { u.config().faults.err_during_body = true; }); },
         "ERROR transmitting data.", 2, 2, "Load OS Image file"},
        {"the unit's error during the kernel's blocks",
         [this] { after_event("> RP", [](SimUnit& u) { u.config().faults.err_at_body_byte = 1500; }); },
         "ERROR transmitting data.", 1, 0, "Load OS Image file"},
        {"a short root file system payload",
         [this] { images[2].resize(256 + 2000); },
         "ERROR transmitting data.", 3, 2, "Load OS Image file"},
        {"the cable pulled during the kernel's blocks",
         [&] { after_event(kernel_second_block, [](SimUnit& u) { u.config().faults.cable_pulled_after = 0; }); },
         "ERROR transmitting data.", 1, 0, "    Write error count 1    "},
        {"Cancel during the kernel's blocks",
         [&] { after_event(kernel_second_block, [](SimUnit&) { g_commands.abort_requested = true; }); },
         "", 1, 0, "Load OS Image file"},
        {"the load mode refused for the device tree",
         [this] { after_loads(1, [](SimUnit& u) { u.config().faults.refused_modes = "P"; }); },
         "Unit replied with an error.\nTry again?", 2, 1, "Load OS Image file"},
        {"the backup unanswered before the device tree",
         [this] { after_loads(1, [](SimUnit& u) { u.config().faults.unanswered = {"RP"}; }); },
         "Problem reading configuration\nTry again?", 1, 1, "Load OS Image file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        images = {os_image(2500, "kernel"), os_image(700, "dtb"), os_image(3000, "rootfs")};
        c.arrange();
        put_os_set();
        SimUnit& sim = attach_unit();
        // Only Cancel leaves the page open, for the technician.
        run_load(LF_OS_IMAGE, c.box.empty(), [&c] {
            if (!c.box.empty()) script_expect_box(c.box, "Error", BOX_NO);
            // Without its cable the unit cannot be started again at exit.
            if (has(c.name, "cable pulled")) script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
        });
        EXPECT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
        EXPECT_EQ(page_runs().back().result, 0);
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(occurrences(transcript, "> P\n"), c.images_begun) << transcript;
        std::size_t accepted = 0;
        for (const SimLoad& load : sim.loads()) accepted += load.accepted;
        EXPECT_EQ(accepted, c.accepted) << transcript;
        EXPECT_FALSE(has(status(), completion_os)) << status();
        EXPECT_EQ(title(), c.title);
        expect_backup_intact(sim);
        EXPECT_EQ(sim_port_finish(), "") << transcript;
    }
}

TEST_F(ImageLoads, AStagingFileThatCannotBeMadeIsNamedAndNothingIsSent) {
    // An older "temp.dat" that must never be sent, here one that cannot be
    // replaced either (the tests may run with every file permission).
    std::filesystem::create_directory(dir.file("temp.dat"));
    SimUnit& sim = attach_unit();
    put("u_boot_1.07.hhf", build_load_image({.type = IMAGE_BOOT, .elf = false, .payload_size = 100}));
    const std::string path = (std::filesystem::current_path() / "temp.dat").string();
    // The reason as this system gives it.
    errno = 0;
    EXPECT_EQ(std::fopen("temp.dat", "wb"), nullptr);
    const std::string reason = std::error_code(errno, std::generic_category()).message();
    run_load(LF_BOOT_IMAGE, false, [&path, &reason] {
        script_expect_box("Unable to create the staging file '" + path + "': " + reason, "Error", BOX_YES);
    });
    EXPECT_FALSE(has(sim.transcript_text(), "> P\n")) << sim.transcript_text();
    EXPECT_TRUE(sim.loads().empty());
    EXPECT_TRUE(has(log_text(), "Failed to open 'temp.dat' for writing\n")) << log_text();
    EXPECT_FALSE(has(status(), completion_boot)) << status();
}
