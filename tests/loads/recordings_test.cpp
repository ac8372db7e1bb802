// The flight data recording download and erase against the strict simulated
// unit: the files written, the acknowledgements the unit receives, earlier
// downloads kept, refused recordings and the count the unit would not give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/upload_settings.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "setup/setup_page.h"
#include "support/fixtures/bytes.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "unit/identity.h"

namespace {
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string file_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }
}  // namespace

class Recordings : public WizardTest {
protected:
    SimUnit& unit_with(std::vector<std::vector<uint8_t>> recordings, SimFaults faults = {}) {
        SimConfig config;
        config.faults = std::move(faults);
        config.generation = 4;
        config.recordings = std::move(recordings);
        config.packet_size = 1000;
        return attach_unit(config);
    }

    int run(LoaderFunction function, std::vector<TechAction> actions = {tech::wait(120000)}) {
        std::filesystem::create_directories(dir.file("System"));
        EXPECT_TRUE(set_upload_setting(PGM_DIR, dir.file("System")));
        std::filesystem::create_directories(dir.file("FDR"));
        EXPECT_TRUE(set_upload_setting(FDR_DIR, dir.file("FDR")));
        EXPECT_EQ(locate_unit_port(), 1);
        g_unit.unit_generation = 4;
        g_link.port_found = true;
        set_handed_function(function);
        script_page(TRANSFER_PAGE, std::move(actions));
        return DoTransfer();
    }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.file("FDR")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
};

TEST_F(Recordings, EveryRecordingIsFetchedHighestFirstIntoItsOwnFile) {
    const std::string big = filler_bytes(2500, 3);
    SimUnit& sim = unit_with({bytes("first"), {}, bytes(big)});
    run(LF_DOWNLOAD_RECORDING);
    const std::string transcript = sim.transcript_text();
    ASSERT_LT(transcript.find("> H 2"), transcript.find("> H 1")) << transcript;
    ASSERT_LT(transcript.find("> H 1"), transcript.find("> H 0")) << transcript;
    EXPECT_TRUE(has(transcript, "> OK 00001000")) << transcript;
    EXPECT_TRUE(has(transcript, "> OK 00002000")) << transcript;
    EXPECT_TRUE(has(transcript, "> OK 00002500")) << transcript;
    const std::vector<std::string> names = files();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_TRUE(names[2].ends_with("_02.dat")) << names[2];
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[2]), big);
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[1]), "");
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[0]), "first");
    EXPECT_FALSE(has(status(), "File index  1")) << status();
}

TEST_F(Recordings, ASecondDownloadWithOtherContentKeepsTheFirst) {
    unit_with({bytes("before")});
    run(LF_DOWNLOAD_RECORDING);
    pages_reset();
    unit_with({bytes("after")});
    run(LF_DOWNLOAD_RECORDING);
    const std::vector<std::string> names = files();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[0]), "before");
    EXPECT_TRUE(names[1].ends_with("_00_2.dat")) << names[1];
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[1]), "after");
}

TEST_F(Recordings, EraseReportsTheUnitsAnswer) {
    SimUnit& sim = unit_with({bytes("x")});
    run(LF_ERASE_RECORDING);
    EXPECT_TRUE(has(sim.transcript_text(), "> ER")) << sim.transcript_text();
    EXPECT_TRUE(has(status(), "Erased Flight Recordings from system")) << status();
}

TEST_F(Recordings, BlockTestStreamsTheWholeFileThenEightCancels) {
    const std::string test_file = filler_bytes(200000, 5);
    SimUnit& sim = unit_with({});
    std::filesystem::create_directories(dir.file("System"));
    dir.write("System/two_meg.dat", test_file);
    run(LF_BLOCK_TEST);
    ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
    EXPECT_EQ(sim.loads()[0].data, bytes(test_file));
    EXPECT_EQ(file_text(dir.file("System/two_meg.dat")), test_file);
    EXPECT_TRUE(has(status(), "Load Block Test image complete")) << status();
}

TEST_F(Recordings, BlockTestWithoutItsFileSaysSo) {
    SimUnit& sim = unit_with({});
    run(LF_BLOCK_TEST, {tech::wait(1500), tech::escape()});
    EXPECT_TRUE(sim.loads().empty());
    EXPECT_TRUE(has(status(), "two_meg.dat could not be opened")) << status();
}

TEST_F(Recordings, ACorruptedPacketIsReportedAndTheNextRecordingStillFetched) {
    SimFaults faults;
    faults.corrupt_packet = 1;
    SimUnit& sim = unit_with({{}, bytes(filler_bytes(2500, 9))}, faults);
    script_expect_box("Read Packet Error, Exiting", "Error");
    run(LF_DOWNLOAD_RECORDING);
    const std::string transcript = sim.transcript_text();
    EXPECT_TRUE(has(transcript, "> NO 00001000")) << transcript;
    EXPECT_TRUE(has(transcript, "> H 0")) << transcript;
    const std::vector<std::string> names = files();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[0]), "");
    EXPECT_EQ(file_text(dir.file("FDR") + "/" + names[1]).size(), 1000u);
}

TEST_F(Recordings, AnUnreadCountIsNotShownAsNoRecordings) {
    SimFaults faults;
    faults.unanswered = {"RC"};
    unit_with({bytes("kept")}, faults);
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), 1000);
    EXPECT_FALSE(has(status(), "NO FLIGHT DATA RECORDINGS FOUND")) << status();
    EXPECT_TRUE(has(status(), "did not report its recording count")) << status();
}

TEST_F(Recordings, ARefusedRecordingLeavesNoFileAndIsNamed) {
    SimFaults faults;
    faults.unanswered = {"H"};
    unit_with({bytes("a"), bytes("b")}, faults);
    run(LF_DOWNLOAD_RECORDING);
    EXPECT_TRUE(files().empty());
    EXPECT_TRUE(has(status(), "Recording 1 was refused by the unit and skipped")) << status();
}
