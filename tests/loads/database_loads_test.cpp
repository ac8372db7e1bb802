// The current-generation database loads against the strict simulated unit,
// run through the whole wizard: the free-space reply, the configuration
// backup, the control block's fields, the body and the unit's verdict, and
// the out-of-space path.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/parameter_file.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "loads/database_protocol.h"
#include "loads/erase_dialog.h"
#include "setup/setup_layout.h"
#include "support/fixtures/database_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
        run_wizard(std::time(nullptr));
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
    }
}

TEST_F(DatabaseLoads, OutOfSpaceOffersTheEraseAndCancelSendsNothing) {
    SimConfig config;
    config.free_space.blocks = 1;
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

TEST_F(DatabaseLoads, OutOfSpaceFlightModeErasesResetsAndEnds) {
    SimConfig config;
    config.free_space.blocks = 1;
    SimUnit& sim = attach_unit(config);
    put("Overlay Files", "61734-GDB-0001-00001.bin", build_sectioned_file({.version = 2}));
    script_page(SETUP_PAGE, {tech::click(LF_OVERLAY), tech::click(ID_SETUP_NEXT)});
    script_page(ERASE_OVERLAY_DIALOG, {tech::click(ID_FLIGHT_MODE)});
    run_wizard(std::time(nullptr));
    const std::string transcript = sim.transcript_text();
    const auto ddb = transcript.find("> DDB 4");
    ASSERT_NE(ddb, std::string::npos) << transcript;
    EXPECT_LT(ddb, transcript.find("> RESET 0")) << transcript;
    EXPECT_FALSE(has(transcript, "> P")) << transcript;
    EXPECT_TRUE(has(status(), "SENT ERASE OVERLAY DATABASE COMMAND TO HTAWS!!!\r\n"
                              "HTAWS UNIT WILL RESET NOW AND UPLOADER WILL EXIT!!!\r\n"))
        << status();
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
        run_wizard(std::time(nullptr));
        EXPECT_EQ(script_pending(), 0u);
        EXPECT_FALSE(has(status(), "OBS Data Load Successful!")) << status();
        EXPECT_EQ(sim.loads().size(), 1u);
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
        put("Terrain Files", "61734-TDB-0001-00002_header.bin", pair.info_file);
        put("Terrain Files", "61734-TDB-0001-00002_data.bin", pair.data_file);
        script_page(SETUP_PAGE, {tech::click(LF_TERRAIN), tech::click(ID_SETUP_NEXT)});
        const std::string line = c.transfer_line;
        const std::string data_size = " of " + std::to_string(pair.data_file.size()) + " bytes";
        // The technician's Cancel, once a third of the data file has passed.
        script_on_yield([line, data_size] {
            if (page_runs().empty() || page_runs().back().template_id != TRANSFER_PAGE) return;
            const ScriptedControl& shown = page_control(TRANSFER_PAGE, ID_TRANSFER_LINE);
            if (shown.text.rfind(line, 0) == 0 && has(shown.text, data_size) &&
                page_control(TRANSFER_PAGE, ID_PROGRESS).position > 300)
                g_commands.abort_requested = true;
        });
        run_wizard(std::time(nullptr));

        ASSERT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
        EXPECT_EQ(page_runs().back().result, 0) << "Cancel ends the program";
        const std::string transcript = sim.transcript_text();
        std::size_t blocks = 0;
        for (auto at = transcript.find("> C block"); at != std::string::npos; at = transcript.find("> C block", at + 1))
            ++blocks;
        EXPECT_EQ(blocks, c.control_blocks) << transcript;
        ASSERT_EQ(sim.loads().size(), 1u) << "only the info file was taken";
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
