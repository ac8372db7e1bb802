// The current-generation database loads against the strict simulated unit,
// run through the whole wizard: the free-space reply, the configuration
// backup, the control block's fields, the body and the unit's verdict, and
// the out-of-space path.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/run_summary.h"
#include "app/startup.h"
#include "support/sim_port.h"
#include "app/wizard_fixture.h"
#include "catalogue/catalogue.h"
#include "catalogue/loader_function.h"
#include "catalogue/parameter_file.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "loads/database_protocol.h"
#include "loads/erase_dialog.h"
#include "platform/clock.h"
#include "setup/setup_layout.h"
#include "support/text_checks.h"
#include "support/fixtures/database_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "platform/page_result.h"
#include "output/status.h"
#include "records/history_file.h"

namespace {
// How the (first) transfer page ended; -1 when none ran.
int transfer_result() {
    const auto run = std::find_if(page_runs().begin(), page_runs().end(),
                                  [](const PageRun& r) { return r.template_id == TRANSFER_PAGE; });
    return run == page_runs().end() ? -1 : run->result;
}

uint32_t final_checksum(const std::string& bytes) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, bytes.data(), bytes.size());
    return crc_end(reg);
}

struct KindCase {
    LoaderFunction function;
    const char* folder;
    const char* file_name;
    std::string file;
    const char* unit_name;
    const char* size_line;
    const char* success;
    const char* title;
};
}  // namespace

TEST(DatabaseReplies, FreeSpaceLineIsParsedOnlyWhenWhole) {
    struct Case {
        const char* line;
        bool ok;
        uint32_t a, c;
    };
    const Case cases[] = {
        {"OK : 00010000 00000000 00001000", true, 0x10000, 0x1000},
        {"OK : 0000abcd 00000000 0000ff0A", true, 0xabcd, 0xff0a},
        {"OK : 0001000g 00000000 00001000", false, 0, 0},
        {"OK : 00010000 00000000 0000100", false, 0, 0},
        {"ER : 00010000 00000000 00001000", false, 0, 0},
        {"OK : 00010000-00000000-00001000 trailing", true, 0x10000, 0x1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto reply = parse_df_reply(c.line);
        ASSERT_EQ(reply.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(reply->a, c.a);
            EXPECT_EQ(reply->c, c.c);
        }
    }
    EXPECT_FALSE(parse_hex8("1234567").has_value());
    EXPECT_EQ(parse_hex8("FFFFFFFF"), 0xFFFFFFFFu);
}

TEST(DatabaseReplies, ControlBlockCutsLongNamesAndSplitsTheVersion) {
    ControlBlock block = database_control_block("a424_database.bin", std::string(40, 'n'), (uint64_t(1) << 32) + 5, 2301);
    seal_control_block(block, 0x01020304);
    EXPECT_EQ(get_be32(&block[0]), 1u);
    EXPECT_EQ(get_be32(&block[4]), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[8])), "a424_database.bin");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[40])), std::string(31, 'n'));
    EXPECT_EQ(get_be32(&block[72]), 8u);
    EXPECT_EQ(get_be32(&block[76]), 0x01020304u);
    EXPECT_EQ(get_be32(&block[80]), 5u) << "the low 32 bits of the length";
    EXPECT_EQ(get_be16(&block[84]), 2);
    EXPECT_EQ(get_be16(&block[86]), 301);
    EXPECT_EQ(get_be32(&block[92]), 0xFFFFFFFFu);
    EXPECT_EQ(get_be32(&block[252]), final_checksum(std::string(block.begin(), block.begin() + 252)));
}

class DatabaseLoads : public WizardTest {
protected:
    // The technician chooses the function and Next; `during` scripts the
    // dialogs of the load; the setup page that comes back is left.
    void run_load(LoaderFunction function, const std::function<void()>& during = {}) {
        script_page(SETUP_PAGE, {tech::click(function), tech::click(ID_SETUP_NEXT)});
        if (during) during();
        script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        run_watched_wizard();
    }
    // The wizard with the run's lines watched as the program's start-up does.
    void run_watched_wizard() {
        summary_start();
        g_status.screen_echo = summary_status;
        run_wizard(std::time(nullptr));
        g_status.screen_echo = nullptr;
    }
    // The load history of the top-level directory, every line a record.
    std::vector<LoadRecord> records() const {
        const HistoryRead history = read_history(history_path(dir.path()));
        EXPECT_TRUE(history.warnings.empty());
        return history.records;
    }
    std::string put(const char* folder, const char* name, const std::string& bytes) {
        std::filesystem::create_directories(dir.file(folder));
        return dir.write(std::string(folder) + "/" + name, bytes);
    }
    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
};

TEST_F(DatabaseLoads, EachKindIsSentWholeAfterTheSpaceCheckAndTheBackup) {
    const std::string sectioned = build_sectioned_file({.version = 2});
    const KindCase cases[] = {
        {LF_OBSTACLE, "Obstacle Files", "61734-ODB-0001-00001.bin", sectioned, "obstacle_database_data.bin",
         "OBS File Load, ", "OBS Data Load Successful!\r\n", "OBS Data Load Complete"},
        {LF_OVERLAY, "Overlay Files", "61734-GDB-0001-00001.bin", sectioned, "overlay_database_data.bin",
         "OVLY File Load, ", "OVLY Data Load Successful!\r\n", "OVLY Data Load Complete"},
        {LF_AIRPORT, "Airport Files", "61734-NDB-2301-00017.bin", build_map_file({.version = 2}), "a424_database.bin",
         "NAV File Load, ", "NAV Data Load Successful!\r\n", "NAV Data Load Complete"},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.unit_name);
        pages_reset();
        SimUnit& sim = attach_unit();
        put(c.folder, c.file_name, c.file);
        run_load(c.function);

        const std::string transcript = sim.transcript_text();
        const auto df = transcript.find("> DF");
        const auto rp = transcript.find("> RP");
        const auto p = transcript.find("> P");
        ASSERT_NE(df, std::string::npos) << transcript;
        EXPECT_LT(df, rp);
        EXPECT_LT(rp, p) << "the backup is taken before the load";
        ASSERT_EQ(sim.loads().size(), 1u) << transcript;
        const SimLoad& load = sim.loads().front();
        EXPECT_TRUE(load.accepted) << load.verdict;
        EXPECT_EQ(load.name, c.unit_name);
        EXPECT_EQ(load.length, c.file.size());
        EXPECT_EQ(load.checksum, final_checksum(c.file));
        EXPECT_EQ(get_be32(&load.control_block[76]), final_checksum(c.file));
        EXPECT_EQ(get_be32(&load.control_block[80]), uint32_t(c.file.size()));
        const std::string box = status();
        EXPECT_TRUE(has(box, c.size_line + std::to_string(c.file.size()) + " bytes\r\n")) << box;
        EXPECT_TRUE(has(box, "Transfer complete\r\nWaiting for response from unit...\r\n")) << box;
        EXPECT_TRUE(has(box, c.success)) << box;
        EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, c.title);
        EXPECT_TRUE(has(read_whole_file(parameter_file_path()), sim.parameters().front()))
            << "the configuration backup: " << parameter_file_path();
        // One record a run, with the load checksum the unit received.
        const std::vector<LoadRecord> history = records();
        ASSERT_EQ(history.size(), std::size_t(&c - cases) + 1);
        const LoadRecord& record = history.back();
        EXPECT_EQ(record.outcome, "completed");
        EXPECT_EQ(record.message + "\r\n", c.success);
        EXPECT_EQ(record.unit_number, sim.config().p_table.unit_number);
        ASSERT_EQ(record.files.size(), 1u);
        EXPECT_EQ(record.files[0].size, load.length);
        EXPECT_EQ(record.files[0].checksum, load.checksum);
    }
}

TEST_F(DatabaseLoads, OutOfSpaceOffersTheEraseAndCancelSendsNothing) {
    struct Case {
        const char* name;
        bool df_answered;  // else the free-space question times out
    };
    for (const Case& c : {Case{"too little space", true}, Case{"no free-space answer", false}}) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        SimConfig config;
        config.free_space.blocks = 1;
        if (!c.df_answered) config.faults.unanswered = {"DF"};
        SimUnit& sim = attach_unit(config);
        put("Obstacle Files", "61734-ODB-0001-00001.bin", build_sectioned_file({.version = 2}));
        run_load(LF_OBSTACLE, [] { script_page(ERASE_OBSTACLE_DIALOG, {tech::click(ID_RESET_CANCEL)}); });
        const std::string transcript = sim.transcript_text();
        EXPECT_FALSE(has(transcript, "> DDB")) << transcript;
        EXPECT_FALSE(has(transcript, "> P")) << transcript;
        EXPECT_TRUE(sim.loads().empty());
        EXPECT_TRUE(has(status(), "Obstacle Database Transfer to HTAWS cancelled.\r\nReturning to Setup Dialog\r\n"))
            << status();
    }
}

TEST_F(DatabaseLoads, OutOfSpaceEraseDeletesResetsInTheChosenModeAndEnds) {
    struct Case {
        LoaderFunction function;
        const char* folder;
        const char* file_name;
        std::string file;
        int dialog;
        int button;
        const char* erase_sent;
        const char* delete_command;
        const char* reset_command;
    };
    const Case cases[] = {
        {LF_OVERLAY, "Overlay Files", "61734-GDB-0001-00001.bin", build_sectioned_file({.version = 2}),
         ERASE_OVERLAY_DIALOG, ID_FLIGHT_MODE, "SENT ERASE OVERLAY DATABASE COMMAND TO HTAWS!!!\r\n", "> DDB 4",
         "> RESET 0"},
        {LF_AIRPORT, "Airport Files", "61734-NDB-2301-00017.bin", build_map_file({.version = 2}),
         ERASE_NAVIGATION_DIALOG, ID_MAINTENANCE_MODE, "SENT ERASE NAVIGATION DATABASE COMMAND TO HTAWS!!!\r\n",
         "> DDB 3", "> RESET 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reset_command);
        pages_reset();
        script_reset();
        SimConfig config;
        config.free_space.blocks = 1;
        SimUnit& sim = attach_unit(config);
        put(c.folder, c.file_name, c.file);
        script_page(SETUP_PAGE, {tech::click(c.function), tech::click(ID_SETUP_NEXT)});
        script_page(c.dialog, {tech::click(c.button)});
        run_wizard(std::time(nullptr));
        const std::string transcript = sim.transcript_text();
        const auto ddb = transcript.find(c.delete_command);
        ASSERT_NE(ddb, std::string::npos) << transcript;
        EXPECT_LT(ddb, transcript.find(c.reset_command)) << transcript;
        EXPECT_FALSE(has(transcript, "> P")) << transcript;
        EXPECT_FALSE(has(transcript, "> STARTF")) << "the unit resets instead: " << transcript;
        EXPECT_TRUE(has(status(), std::string(c.erase_sent) + "HTAWS UNIT WILL RESET NOW AND UPLOADER WILL EXIT!!!\r\n"))
            << status();
        EXPECT_EQ(transfer_result(), RESULT_QUIT) << "the program ends";
    }
}

TEST_F(DatabaseLoads, UnitErrorTextDuringAnyPieceFailsTheLoad) {
    struct Case {
        const char* name;
        long err_at;
        bool at_last;
    };
    // A body of several pieces, so that an early "ERR" lies in the first one.
    const std::string file = build_sectioned_file({.version = 2, .data = std::string(200000, 'o')});
    for (const Case& c : {Case{"first piece", 10, false}, Case{"last piece", -1, true}}) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        SimConfig config;
        config.faults.err_at_body_byte = c.err_at;
        config.faults.err_during_body = c.at_last;
        SimUnit& sim = attach_unit(config);
        put("Obstacle Files", "61734-ODB-0001-00001.bin", file);
        script_page(SETUP_PAGE, {tech::click(LF_OBSTACLE), tech::click(ID_SETUP_NEXT)});
        // Whatever the answer, an obstacle load with a damaged body ends the program.
        script_expect_box("ERROR transmitting data.", "Error", BOX_YES);
        run_watched_wizard();
        EXPECT_EQ(script_pending(), 0u);
        EXPECT_FALSE(has(status(), "OBS Data Load Successful!")) << status();
        ASSERT_EQ(sim.loads().size(), 1u);
        // Recorded as failed, with the checksum the unit was handed and the last line shown.
        const LoadRecord record = records().back();
        EXPECT_EQ(record.outcome, "failed");
        EXPECT_FALSE(record.message.empty());
        EXPECT_TRUE(has(status(), record.message)) << record.message;
        ASSERT_EQ(record.files.size(), 1u);
        EXPECT_EQ(record.files[0].checksum, get_be32(&sim.loads().front().control_block[76]));
    }
}

TEST_F(DatabaseLoads, NavigationErrorAnswerYesGoesBackToSetup) {
    SimConfig config;
    config.faults.err_during_body = true;
    SimUnit& sim = attach_unit(config);
    put("Airport Files", "61734-NDB-2301-00017.bin", build_map_file({.version = 2}));
    script_page(SETUP_PAGE, {tech::click(LF_AIRPORT), tech::click(ID_SETUP_NEXT)});
    script_expect_box("ERROR transmitting data.", "Error", BOX_YES);
    script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));
    EXPECT_FALSE(has(sim.transcript_text(), "> RESET")) << "nothing is reset";
    EXPECT_FALSE(has(status(), "NAV Data Load Successful!")) << status();
}

TEST_F(DatabaseLoads, TerrainSendsTheInfoFileThenTheCheckedDataFile) {
    SimUnit& sim = attach_unit();
    const TerrainPair pair = build_terrain_pair({.version = 1, .data = std::string(150000, 'e')});
    put("Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
    put("Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
    run_load(LF_TERRAIN);
    const std::string transcript = sim.transcript_text();
    ASSERT_EQ(sim.loads().size(), 2u) << transcript;
    EXPECT_EQ(sim.loads()[0].name, "terrain_database_info.bin");
    EXPECT_EQ(sim.loads()[1].name, "terrain_database_data.bin");
    EXPECT_EQ(sim.loads()[0].length, pair.info_file.size());
    EXPECT_EQ(sim.loads()[1].checksum, final_checksum(pair.data_file));
    EXPECT_TRUE(sim.loads()[1].accepted) << sim.loads()[1].verdict;
    EXPECT_EQ(transcript.find("> RP"), transcript.rfind("> RP")) << "the backup is read once";
    const std::string box = status();
    const std::string size = std::to_string(pair.data_file.size());
    EXPECT_TRUE(has(box, "Terrain Header File Load, " + std::to_string(pair.info_file.size()) + " bytes\r\n"
                         "Terrain Data File Integrity Check, " + size + " bytes\r\n"
                         "Terrain Data File Load, " + size + " bytes\r\n"
                         "Transfer complete\r\n"))
        << "no completion lines after the info file: " << box;
    EXPECT_TRUE(has(box, "Terrain Data Load Successful!\r\n")) << box;
    EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Terrain Data Load Complete");
}

TEST_F(DatabaseLoads, FreeSpaceMustExceedTheNeedByMoreThanTenMebibytes) {
    const SectionedFileRecipe recipe{.version = 2};
    // Overlay: info and data sections and a margin of 256 bytes.
    const uint32_t needed = uint32_t(recipe.info.size() + recipe.data.size() + 256);
    for (const uint32_t spare : {0u, 1u}) {
        SCOPED_TRACE(spare);
        pages_reset();
        script_reset();
        SimConfig config;
        config.free_space.blocks = needed + 0xA00000 + spare;
        config.free_space.block_size = 1;
        SimUnit& sim = attach_unit(config);
        put("Overlay Files", "61734-GDB-0001-00001.bin", build_sectioned_file(recipe));
        run_load(LF_OVERLAY, [spare] {
            if (!spare) script_page(ERASE_OVERLAY_DIALOG, {tech::close()});
        });
        EXPECT_EQ(sim.loads().size(), spare);
    }
}

TEST_F(DatabaseLoads, CancelDuringTheTerrainDataPassesEndsTheLoadAndKeepsTheBackup) {
    struct Case {
        const char* transfer_line;  // the pass during which the technician cancels
        std::size_t control_blocks;  // sent to the unit
    };
    const TerrainPair pair = build_terrain_pair({.version = 1, .data = std::string(400000, 'e')});
    for (const Case& c : {Case{"Checking integrity on ", 1}, Case{"Transferring ", 2}}) {
        SCOPED_TRACE(c.transfer_line);
        pages_reset();
        script_reset();
        SimUnit& sim = attach_unit();
        if (c.control_blocks == 2) sim_port_expect_anomaly("body incomplete");
        put("Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
        put("Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
        script_page(SETUP_PAGE, {tech::click(LF_TERRAIN), tech::click(ID_SETUP_NEXT)});
        const std::string line = c.transfer_line;
        const std::string data_size = " of " + std::to_string(pair.data_file.size()) + " bytes";
        // The technician's Cancel, once a third of the data file has passed.
        script_on_yield([line, data_size] {
            if (running_pages().empty() || running_pages().back()->layout->template_id != TRANSFER_PAGE) return;
            const ScriptedControl& shown = page_control(TRANSFER_PAGE, ID_TRANSFER_LINE);
            if (shown.text.rfind(line, 0) == 0 && has(shown.text, data_size) &&
                page_control(TRANSFER_PAGE, ID_PROGRESS).position > 300)
                g_commands.abort_requested = true;
        });
        run_wizard(std::time(nullptr));

        ASSERT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
        EXPECT_EQ(page_runs().back().result, 0) << "Cancel ends the program";
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(occurrences(transcript, "> C block"), c.control_blocks) << transcript;
        ASSERT_FALSE(sim.loads().empty());
        EXPECT_TRUE(sim.loads()[0].accepted) << "the info file was taken";
        // The data body cut short is dropped by the unit before it is started again.
        EXPECT_EQ(sim.loads().size(), c.control_blocks) << transcript;
        if (sim.loads().size() > 1) {
            EXPECT_FALSE(sim.loads()[1].accepted);
        }
        EXPECT_LT(page_control(TRANSFER_PAGE, ID_PROGRESS).position, 600) << "stopped after the piece";
        EXPECT_FALSE(has(status(), "Terrain Data Load Successful!")) << status();
        EXPECT_TRUE(has(read_whole_file(parameter_file_path()), sim.parameters().front()));
    }
}

TEST_F(DatabaseLoads, DeleteAnsweredWithoutDetailFailsAndResetsNothing) {
    SimConfig config;
    config.free_space.blocks = 1;
    config.faults.bare_delete_answer = true;
    SimUnit& sim = attach_unit(config);
    put("Overlay Files", "61734-GDB-0001-00001.bin", build_sectioned_file({.version = 2}));
    run_load(LF_OVERLAY, [] { script_page(ERASE_OVERLAY_DIALOG, {tech::click(ID_MAINTENANCE_MODE)}); });
    const std::string transcript = sim.transcript_text();
    EXPECT_TRUE(has(transcript, "> DDB 4")) << transcript;
    EXPECT_FALSE(has(transcript, "> RESET")) << transcript;
    EXPECT_TRUE(has(status(), "Delete Overlay Database command failed.\r\nReturning to Setup Dialog\r\n")) << status();
}

namespace {
constexpr uint64_t four_gib = uint64_t(1) << 32;
constexpr uint64_t space_reserve = 0xA00000;

// A "DF" answer of exactly `bytes` free, as blocks times a block size.
SimFreeSpace free_space_of(uint64_t bytes) {
    for (uint32_t size = 1; size < 65536; ++size)
        if (bytes % size == 0 && bytes / size <= UINT32_MAX) return {uint32_t(bytes / size), 0, size};
    ADD_FAILURE() << bytes << " has no small block size";
    return {};
}

bool on_transfer_page() {
    return !running_pages().empty() && running_pages().back()->layout->template_id == TRANSFER_PAGE;
}

// The transfer page is running and its transfer line begins with `text`.
bool transfer_line_starts(const std::string& text) {
    return on_transfer_page() && page_control(TRANSFER_PAGE, ID_TRANSFER_LINE).text.rfind(text, 0) == 0;
}
}  // namespace

class TerrainLoads : public DatabaseLoads {
protected:
    // The pair in the terrain folder; the data file grown (sparse) to `data_size` when given.
    void put_pair(const TerrainPair& pair, uint64_t data_size = 0) {
        put("Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
        const std::string data = put("Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
        if (data_size) std::filesystem::resize_file(data, data_size);
    }
};

// Beyond 4 GiB the unit must have room for 4 GiB more than the header's
// 32-bit lengths say; at exactly 4 GiB it need not. The data file is sparse;
// where the space suffices the load is cancelled in its integrity pass.
TEST_F(TerrainLoads, DataFileBeyondFourGibNeedsFourGibMoreSpace) {
    const TerrainRecipe recipe{.version = 1};
    const TerrainPair pair = build_terrain_pair(recipe);
    const uint64_t needed = recipe.data.size() + recipe.info.size() + 512;
    struct Case {
        uint64_t data_size;
        uint64_t free;
        bool fits;
    };
    const Case cases[] = {
        {four_gib, needed + space_reserve + 1, true},
        {four_gib + 1, needed + space_reserve + 1, false},
        {four_gib + 1, needed + four_gib + space_reserve, false},
        {four_gib + 1, needed + four_gib + space_reserve + 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.data_size) + " bytes, " + std::to_string(c.free) + " free");
        pages_reset();
        script_reset();
        SimConfig config;
        config.free_space = free_space_of(c.free);
        SimUnit& sim = attach_unit(config);
        put_pair(pair, c.data_size);
        script_page(SETUP_PAGE, {tech::click(LF_TERRAIN), tech::click(ID_SETUP_NEXT)});
        if (c.fits) {
            script_on_yield([] {
                if (transfer_line_starts("Checking integrity on ")) g_commands.abort_requested = true;
            });
        } else {
            script_page(ERASE_TERRAIN_DIALOG, {tech::click(ID_RESET_CANCEL)});
            script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        }
        run_wizard(std::time(nullptr));
        const std::string transcript = sim.transcript_text();
        if (!c.fits) {
            EXPECT_FALSE(has(transcript, "> P")) << transcript;
            continue;
        }
        ASSERT_EQ(sim.loads().size(), 1u) << transcript;
        EXPECT_EQ(sim.loads()[0].name, "terrain_database_info.bin");
        EXPECT_TRUE(has(status(), "Terrain Data File Integrity Check, " + std::to_string(c.data_size) + " bytes\r\n"))
            << status();
        EXPECT_TRUE(has(page_control(TRANSFER_PAGE, ID_TRANSFER_LINE).text, " of " + std::to_string(c.data_size)));
    }
}

// The info file was accepted, then the terrain candidate went (its flag
// cleared); or the unit reported an error during the info file: the data
// file is never offered to the unit.
TEST_F(TerrainLoads, DataFileIsNotSentAfterTheInfoFileFailedOrTheCandidateWent) {
    struct Case {
        const char* name;
        bool clear_candidate;
        const char* box;
        int answer;
        int page_result;
    };
    const Case cases[] = {
        {"candidate cleared", true, "No Loadable Program Image.\nTry again?", BOX_YES, RESULT_BACK},
        {"error during the info file", false, "ERROR transmitting data.", BOX_YES, RESULT_QUIT},
    };
    const TerrainPair pair = build_terrain_pair({.version = 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        script_reset();
        SimConfig config;
        if (!c.clear_candidate) config.faults.err_at_body_byte = 10;
        SimUnit& sim = attach_unit(config);
        put_pair(pair);
        script_page(SETUP_PAGE, {tech::click(LF_TERRAIN), tech::click(ID_SETUP_NEXT)});
        // Once the info file's body is out; the unit accepts it all the same.
        const std::string info_sent = "Transferring " + std::to_string(pair.info_file.size()) + " of ";
        if (c.clear_candidate)
            script_on_yield([info_sent] {
                if (transfer_line_starts(info_sent)) set_catalogue_ready(CAT_TERRAIN, false);
            });
        script_expect_box(c.box, "Error", c.answer);
        if (c.page_result == RESULT_BACK) script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
        run_wizard(std::time(nullptr));
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(occurrences(transcript, "> C block"), 1u) << transcript;
        ASSERT_EQ(sim.loads().size(), 1u) << transcript;
        EXPECT_EQ(sim.loads()[0].name, "terrain_database_info.bin");
        EXPECT_EQ(transfer_result(), c.page_result);
        EXPECT_FALSE(has(status(), "Terrain Data File Integrity Check")) << status();
    }
}

// The cable is pulled once a third of a body is out: the body ends at the
// failed write, the verdict's wait times out within its bound, and the
// configuration backup taken before the load is whole.
TEST_F(TerrainLoads, CablePulledMidBodyEndsWithinTheVerdictWait) {
    struct Case {
        const char* title;  // the file whose body loses the unit
        std::size_t control_blocks;
    };
    const TerrainPair pair = build_terrain_pair({.version = 1, .info = std::string(300000, 't'),
                                                 .data = std::string(400000, 'e')});
    for (const Case& c : {Case{"Terrain Header File Load", 1}, Case{"Terrain Data File Load", 2}}) {
        SCOPED_TRACE(c.title);
        pages_reset();
        script_reset();
        SimUnit& sim = attach_unit();
        put_pair(pair);
        script_page(SETUP_PAGE, {tech::click(LF_TERRAIN), tech::click(ID_SETUP_NEXT)});
        // The virtual time of the pull and of the last yield before the prompt.
        uint64_t pulled_at = 0, unprompted_at = 0;
        const std::string title = c.title;
        script_on_yield([&sim, &pulled_at, &unprompted_at, title] {
            if (pulled_at && script_boxes().empty()) unprompted_at = now_ms();
            if (!pulled_at && transfer_line_starts("Transferring ") &&
                page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text == title &&
                page_control(TRANSFER_PAGE, ID_PROGRESS).position > 300) {
                sim.config().faults.cable_pulled_after = 0;
                pulled_at = now_ms();
            }
        });
        script_expect_box("Operation timed out\nTry again?", "Error", BOX_NO);
        script_expect_box(unit_not_restarted_text("sim"), unit_not_restarted_caption);
        run_wizard(std::time(nullptr));
        ASSERT_NE(pulled_at, 0u);
        EXPECT_LE(unprompted_at - pulled_at, 2000u + 20000u) << "within the verdict's wait and read";
        EXPECT_LT(page_control(TRANSFER_PAGE, ID_PROGRESS).position, 600) << "the body stopped at the failed write";
        EXPECT_EQ(occurrences(sim.transcript_text(), "> C block"), c.control_blocks);
        EXPECT_EQ(transfer_result(), RESULT_QUIT);
        const std::string backup = read_whole_file(parameter_file_path());
        for (const std::string& line : sim.parameters()) EXPECT_TRUE(has(backup, line)) << line;
    }
}
