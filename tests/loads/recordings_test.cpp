// The flight data recording download and erase, and the block test, against
// the strict simulated unit: the files written, the acknowledgements the unit
// receives, earlier downloads kept, recordings that end early kept under a
// name of their own, and every early end shown and returned to the setup page.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/upload_settings.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "setup/setup_page.h"
#include "support/text_checks.h"
#include "support/fixtures/bytes.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "unit/identity.h"
#include "platform/page_result.h"

namespace {
namespace fs = std::filesystem;

std::string file_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

// "REC_<serial>_<today>_<index><tail>": the name a recording of a download started today gets.
std::string recording_name(const std::string& serial, int index, const std::string& tail = ".dat") {
    std::time_t now = std::time(nullptr);
    std::tm date = *std::localtime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "REC_%s_%04d_%02d_%02d_%02d", serial.c_str(), date.tm_year + 1900,
                  date.tm_mon + 1, date.tm_mday, index);
    return name + tail;
}
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
        fs::create_directories(dir.file("System"));
        EXPECT_TRUE(set_upload_setting(PGM_DIR, dir.file("System")));
        fs::create_directories(dir.file("FDR"));
        EXPECT_TRUE(set_upload_setting(FDR_DIR, fdr_dir.empty() ? dir.file("FDR") : fdr_dir));
        EXPECT_TRUE(locate_unit_port());
        g_unit.unit_generation = 4;
        g_link.port_found = true;
        set_handed_function(function);
        script_page(TRANSFER_PAGE, std::move(actions));
        return DoTransfer();
    }

    // A fresh page and an empty recordings folder for the next case of a table.
    void next_case() {
        pages_reset();
        fs::remove_all(dir.file("FDR"));
    }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.file("FDR"))) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string fdr(const std::string& name) const { return path_join(dir.file("FDR"), name).value_or(""); }

    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }

    std::string fdr_dir;  // the recordings folder when not the usual one
};

TEST_F(Recordings, EveryRecordingIsFetchedHighestFirstIntoItsOwnFile) {
    const std::string big = filler_bytes(2500, 3);
    SimUnit& sim = unit_with({bytes("first"), {}, bytes(big)});
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), RESULT_BACK);
    const std::string transcript = sim.transcript_text();
    std::size_t at = 0;
    for (const char* line : {"> H 2", "> OK 00001000", "> OK 00002000", "> OK 00002500", "> OK end", "> H 1",
                             "> OK end", "> H 0", "> OK 00000005", "> OK end"}) {
        at = transcript.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in order in\n" << transcript;
    }
    EXPECT_EQ(files(), (std::vector<std::string>{recording_name("00000000", 0), recording_name("00000000", 1),
                                                 recording_name("00000000", 2)}));
    EXPECT_EQ(file_text(fdr(recording_name("00000000", 2))), big);
    EXPECT_EQ(file_text(fdr(recording_name("00000000", 1))), "");
    EXPECT_EQ(file_text(fdr(recording_name("00000000", 0))), "first");
    EXPECT_TRUE(has(status(), "File index  2 : length = 1004 bytes\r\n")) << status();
    EXPECT_TRUE(has(status(), "File index  0 : length = 9 bytes\r\n")) << status();
    EXPECT_FALSE(has(status(), "File index  1")) << status();
    EXPECT_TRUE(has(status(), "Flight Data Recording file transfers complete")) << status();
}

// The unit names the length of each packet, not of the recording: the bar and
// the transfer line run over the packet being read and never pass its length.
TEST_F(Recordings, TheProgressRunsOverEachPacket) {
    unit_with({bytes(filler_bytes(2500, 7))});
    // The end of each packet: 1000 of 1004, 1000 of 1004, 500 of 504 bytes.
    std::vector<TechAction> actions;
    for (int per_mille : {996, 996, 992})
        actions.push_back(tech::check([per_mille] {
                              EXPECT_EQ(page_control(TRANSFER_PAGE, ID_PROGRESS).position, per_mille);
                          }).when_progress_passes(ID_PROGRESS, 990));
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING, actions), RESULT_BACK);
    EXPECT_TRUE(has(status(), "Flight Data Recording file transfers complete")) << status();
}

TEST_F(Recordings, TheCountReplyDecidesWhatIsFetched) {
    struct Case {
        const char* reply;
        std::size_t recordings;
        const char* first_selection;  // null: none
        const char* shown;
    };
    const Case cases[] = {
        {"3 OK", 3, "> H 2\n", "Retrieving  3 flight data recording files.\r\n"},
        {"OK 3", 3, nullptr, "NO FLIGHT DATA RECORDINGS FOUND.\r\n"},
        {"", 16, "> H f\n", "Retrieving 16 flight data recording files.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        next_case();
        SimFaults faults;
        faults.count_reply = c.reply;
        SimUnit& sim = unit_with(std::vector<std::vector<uint8_t>>(c.recordings, bytes("r")), faults);
        EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), RESULT_BACK);
        const std::string transcript = sim.transcript_text();
        const std::size_t first = transcript.find("> H ");
        if (c.first_selection) {
            EXPECT_EQ(transcript.substr(first, std::string(c.first_selection).size()), c.first_selection) << transcript;
            EXPECT_EQ(files().size(), c.recordings);
        } else {
            EXPECT_EQ(first, std::string::npos) << transcript;
            EXPECT_TRUE(files().empty());
        }
        EXPECT_TRUE(has(status(), c.shown)) << status();
    }
}

TEST_F(Recordings, FileNamesCarryTheUnitNumberAsDecimalDigits) {
    struct Case {
        bool p_table_read;
        uint32_t unit_number;
        const char* serial;
    };
    const Case cases[] = {
        {false, 0x12345678, "00000000"},
        {true, 0x12345678, "12345678"},
        {true, 0x1234567A, "12345680"},  // the group A adds 10 at the last place
        {true, 0xA0000000, "100000000"},  // and at the first: nine digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        next_case();
        unit_with({bytes("x")});
        g_unit_tables.p_table.valid = c.p_table_read;
        g_unit.unit_number = c.unit_number;
        run(LF_DOWNLOAD_RECORDING);
        EXPECT_EQ(files(), std::vector<std::string>{recording_name(c.serial, 0)});
    }
}

TEST_F(Recordings, ALaterDownloadNeverOverwritesAnEarlierRecording) {
    for (const char* content : {"before", "after", "after"}) {
        pages_reset();
        unit_with({bytes(content)});
        run(LF_DOWNLOAD_RECORDING);
    }
    EXPECT_EQ(files(), (std::vector<std::string>{recording_name("00000000", 0), recording_name("00000000", 0, "_2.dat")}));
    EXPECT_EQ(file_text(fdr(recording_name("00000000", 0))), "before");
    EXPECT_EQ(file_text(fdr(recording_name("00000000", 0, "_2.dat"))), "after");
}

// The unit is told every byte it sent, those of the spoiled packet too; the
// file keeps them under its partial name and says which failed their check.
TEST_F(Recordings, ARecordingThatFailsMidwayIsToldToTheUnitAndKeptApart) {
    struct Case {
        const char* where;
        int packet;
        const char* told;
        std::size_t kept;
        const char* unchecked;  // the status line's ending
    };
    const Case cases[] = {
        {"a data packet", 1, "> NO 00002000", 2000, "; its last 1000 bytes are of a packet that failed\r\n"},
        {"the end packet", 3, "> NO 00002500", 2500, "\r\n"},
    };
    const std::string big = filler_bytes(2500, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        next_case();
        SimFaults faults;
        faults.corrupt_packet = c.packet;
        faults.corrupt_recording = 1;
        SimUnit& sim = unit_with({{}, bytes(big)}, faults);
        script_expect_box("Read Packet Error, Exiting", "Error");
        run(LF_DOWNLOAD_RECORDING);
        const std::string transcript = sim.transcript_text();
        const std::size_t told = transcript.find(c.told);
        ASSERT_NE(told, std::string::npos) << transcript;
        EXPECT_NE(transcript.find("> H 0", told), std::string::npos) << transcript;
        const std::string partial = recording_name("00000000", 1, "_partial.dat");
        EXPECT_EQ(files(), (std::vector<std::string>{recording_name("00000000", 0), partial}));
        EXPECT_EQ(file_text(fdr(partial)), big.substr(0, c.kept));
        EXPECT_TRUE(has(status(), "Recording 1 is incomplete: " + std::to_string(c.kept) + " bytes kept in " +
                                      fdr(partial) + c.unchecked))
            << status();
        EXPECT_FALSE(has(sim.transcript_text(), "uploader counts")) << "the unit's count and ours differ\n"
                                                                    << sim.transcript_text();
    }
}

TEST_F(Recordings, ALostLinkStopsTheDownloadAndKeepsWhatCame) {
    SimFaults faults;
    faults.cable_pulled_after_sent = 2600;  // within the third packet of recording 1
    const std::string big = filler_bytes(5000, 4);
    SimUnit& sim = unit_with({bytes("a"), bytes(big)}, faults);
    script_expect_box("The link to the unit was lost during recording 1.", "Error");
    // Well within the time a packet may take to start: the page must end by then.
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING, {tech::wait(10000)}), RESULT_BACK);
    EXPECT_FALSE(has(sim.transcript_text(), "> H 0")) << sim.transcript_text();
    const std::string partial = recording_name("00000000", 1, "_partial.dat");
    EXPECT_EQ(files(), std::vector<std::string>{partial});
    // The bytes of the packet the link was lost in are kept too, and named.
    EXPECT_EQ(file_text(fdr(partial)), big.substr(0, 2526));
    for (const std::string& line : {std::string("The link to the unit was lost during recording 1; the download stopped.\r\n"),
                                    "Recording 1 is incomplete: 2526 bytes kept in " + fdr(partial) +
                                        "; its last 526 bytes are of a packet that failed\r\n",
                                    std::string("Returning to Setup dialog momentarily.\r\n")})
        EXPECT_TRUE(has(status(), line)) << status();
    EXPECT_FALSE(has(status(), "skipped")) << status();
    EXPECT_FALSE(has(status(), "transfers complete")) << status();
}

// A fault of the program itself in the middle of a recording: the bytes that
// came keep their partial name and the status says where; the operation ends
// as failed with the fault's text.
TEST_F(Recordings, AFaultOfTheProgramMidwayKeepsWhatCameAndSaysWhere) {
    const std::string big = filler_bytes(2500, 8);
    SimUnit& sim = unit_with({bytes("a"), bytes(big)});
    script_expect_box("The program stopped the operation on an internal fault: injected", "Error");
    const TechAction fault =
        tech::check([] { throw std::runtime_error("injected"); }).when_progress_passes(ID_PROGRESS, 500);
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING, {fault}), RESULT_QUIT);
    EXPECT_FALSE(has(sim.transcript_text(), "> H 0")) << sim.transcript_text();
    const std::string partial = recording_name("00000000", 1, "_partial.dat");
    EXPECT_EQ(files(), std::vector<std::string>{partial});
    EXPECT_EQ(file_text(fdr(partial)), big.substr(0, 1000));
    EXPECT_TRUE(has(status(), "Recording 1 is incomplete: 1000 bytes kept in " + fdr(partial))) << status();
}

TEST_F(Recordings, CancelStopsTheDownloadAndKeepsWhatCame) {
    const std::string big = filler_bytes(2500, 6);
    SimUnit& sim = unit_with({bytes("a"), bytes(big)});
    run(LF_DOWNLOAD_RECORDING, {tech::escape().when_progress_passes(ID_PROGRESS, 500)});
    EXPECT_FALSE(has(sim.transcript_text(), "> H 0")) << sim.transcript_text();
    const std::string partial = recording_name("00000000", 1, "_partial.dat");
    EXPECT_EQ(files(), std::vector<std::string>{partial});
    EXPECT_EQ(file_text(fdr(partial)), big.substr(0, 1000));
    // The page is gone: the log keeps the lines.
    EXPECT_TRUE(has(log_text(), "The download was stopped during recording 1.")) << log_text();
    EXPECT_TRUE(has(log_text(), "Recording 1 is incomplete: 1000 bytes kept in " + fdr(partial))) << log_text();
    EXPECT_FALSE(has(log_text(), "transfers complete")) << log_text();
}

TEST_F(Recordings, DiskFaultsAreShownAtOnceAndSayWhereTheBytesAre) {
    // What the system says of a folder where a file is created or renamed to.
#ifdef _WIN32
    constexpr int folder_in_the_way = EACCES;
    constexpr int folder_at_the_new_name = EEXIST;
#else
    constexpr int folder_in_the_way = EISDIR;
    constexpr int folder_at_the_new_name = EISDIR;
#endif
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<std::string()> box;
        std::function<std::string()> shown;
        bool second_fetched;
        bool page_stays = false;  // the download stops and leaves the page to the technician
    };
    const std::string part = recording_name("00000000", 1, ".dat.part");
    const std::string whole = recording_name("00000000", 1);
    const std::string long_folder = std::string(250, 'f');
    std::vector<Case> cases = {
        {"the file cannot be created", [&]() { fs::create_directories(fdr(part)); },
         [&]() { return "Cannot create " + fdr(part) + ": " + system_error_text(folder_in_the_way); },
         []() { return "Recording 1 could not be stored; the download stopped.\r\n"; }, false, true},
        {"the path is too long", [&]() { fdr_dir = long_folder; },
         [&]() { return path_too_long_message(long_folder); },
         []() { return "Recording 1 could not be stored; the download stopped.\r\n"; }, false, true},
        {"the name is taken by a folder", [&]() { fs::create_directories(fdr(whole)); },
         [&]() {
             return "Cannot rename " + fdr(part) + " to " + fdr(whole) + ": " + system_error_text(folder_at_the_new_name) +
                    "\nThe recording's bytes are in " + fdr(part);
         },
         [&]() { return "Recording 1 kept in " + fdr(part) + "\r\n"; }, true},
    };
#ifndef _WIN32
    cases.push_back({"a write fails", [&]() { fs::create_symlink("/dev/full", fdr(part)); },
                     [&]() { return "Cannot write " + fdr(part) + ": " + system_error_text(ENOSPC); },
                     []() { return "Recording 1 is incomplete and nothing of it was kept.\r\n"; }, true});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        next_case();
        fdr_dir.clear();
        fs::create_directories(dir.file("FDR"));
        c.arrange();
        SimUnit& sim = unit_with({bytes("a"), bytes(filler_bytes(2500, 2))});
        script_expect_box(c.box(), "Error");
        if (c.page_stays) {
            EXPECT_EQ(run(LF_DOWNLOAD_RECORDING, {tech::wait(120000), tech::escape()}), RESULT_QUIT);
            EXPECT_FALSE(has(status(), "Returning to Setup")) << status();
        } else {
            EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), RESULT_BACK);
        }
        EXPECT_TRUE(has(status(), c.shown())) << status();
        EXPECT_EQ(has(sim.transcript_text(), "> H 0"), c.second_fetched) << sim.transcript_text();
    }
    fdr_dir.clear();
}

TEST_F(Recordings, ARecordingTheUnitWillNotGiveLeavesNoFileAndIsNamed) {
    struct Case {
        const char* how;
        SimFaults faults;
        const char* shown;
    };
    SimFaults refused, unanswered;
    refused.refused_recording = 1;
    unanswered.unanswered = {"H"};
    const Case cases[] = {
        {"refused", refused, "Recording 1 was refused by the unit and skipped.\r\n"},
        {"unanswered", unanswered, "Recording 1 was not answered by the unit and skipped.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        next_case();
        unit_with({bytes("a"), bytes("b")}, c.faults);
        run(LF_DOWNLOAD_RECORDING);
        EXPECT_TRUE(has(status(), c.shown)) << status();
        EXPECT_FALSE(fs::exists(fdr(recording_name("00000000", 1)))) << "an empty file passes for a recording";
    }
}

TEST_F(Recordings, AUnitFallenSilentIsGivenUpAfterThreeRequestsWhateverItsCount) {
    SimFaults faults;
    faults.count_reply = "99999 recordings OK";
    faults.unanswered = {"H"};
    SimUnit& sim = unit_with({bytes("a")}, faults);
    script_expect_box("The unit stopped answering at recording 99996.", "Error");
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), RESULT_BACK);
    const std::string transcript = sim.transcript_text();
    int requests = 0;
    for (std::size_t at = transcript.find("> H "); at != std::string::npos; at = transcript.find("> H ", at + 1))
        ++requests;
    EXPECT_EQ(requests, 3) << transcript;
    EXPECT_TRUE(has(status(), "the download stopped")) << status();
    EXPECT_FALSE(has(status(), "transfers complete")) << status();
}

TEST_F(Recordings, AnUnreadCountIsNotShownAsNoRecordings) {
    SimFaults faults;
    faults.unanswered = {"RC"};
    unit_with({bytes("kept")}, faults);
    EXPECT_EQ(run(LF_DOWNLOAD_RECORDING), RESULT_BACK);
    EXPECT_FALSE(has(status(), "NO FLIGHT DATA RECORDINGS FOUND")) << status();
    EXPECT_TRUE(has(status(), "did not report its recording count")) << status();
}

TEST_F(Recordings, EraseReportsTheUnitsAnswer) {
    struct Case {
        bool answered;
        const char* shown;
    };
    for (const Case& c : {Case{true, "Erased Flight Recordings from system\r\n"},
                          Case{false, "FAILED Erase of Flight Recordings from system\r\n"}}) {
        SCOPED_TRACE(c.shown);
        next_case();
        SimFaults faults;
        if (!c.answered) faults.unanswered = {"ER"};
        SimUnit& sim = unit_with({bytes("x")}, faults);
        EXPECT_EQ(run(LF_ERASE_RECORDING), RESULT_BACK);
        EXPECT_TRUE(has(sim.transcript_text(), "> ER")) << sim.transcript_text();
        EXPECT_TRUE(has(status(), c.shown)) << status();
        EXPECT_TRUE(has(status(), "Flight Data Recording erase operation complete.\r\n")) << status();
    }
}

TEST_F(Recordings, BlockTestStreamsTheWholeFileThenEightCancels) {
    const std::string test_file = filler_bytes(200000, 5);
    SimUnit& sim = unit_with({});
    fs::create_directories(dir.file("System"));
    dir.write("System/two_meg.dat", test_file);
    run(LF_BLOCK_TEST);
    ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
    EXPECT_EQ(sim.loads()[0].data, bytes(test_file));
    EXPECT_EQ(file_text(dir.file("System/two_meg.dat")), test_file);
    EXPECT_TRUE(has(status(), "Load Block Test image complete")) << status();
}

TEST_F(Recordings, ABlockTestThatCannotRunSaysWhy) {
    struct Case {
        bool file_there;
        const char* shown;
    };
    for (const Case& c : {Case{false, "two_meg.dat could not be opened.\r\n"},
                          Case{true, "The unit did not enter the block test mode.\r\n"}}) {
        SCOPED_TRACE(c.shown);
        next_case();
        SimFaults faults;
        faults.unanswered = {"PT"};
        SimUnit& sim = unit_with({}, faults);
        fs::remove_all(dir.file("System"));
        if (c.file_there) {
            fs::create_directories(dir.file("System"));
            dir.write("System/two_meg.dat", "test bytes");
        }
        run(LF_BLOCK_TEST, {tech::wait(1500), tech::escape()});
        EXPECT_TRUE(sim.loads().empty());
        EXPECT_EQ(has(sim.transcript_text(), "> PT"), c.file_there) << sim.transcript_text();
        EXPECT_TRUE(has(status(), c.shown)) << status();
    }
}
