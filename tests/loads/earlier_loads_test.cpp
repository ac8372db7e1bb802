// The earlier-generation loads against the strict simulated unit: airport
// data and terrain over answered blocks, system software from the ".hex"
// image, the flash write, the technician's answers to refusals, and a cable
// pulled in the middle. The inputs come through the setup page either way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/earlier_generation_files.h"
#include "catalogue/load_preparation.h"
#include "catalogue/parameter_file.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/map_file.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "setup/setup_layout.h"
#include "setup/setup_page.h"
#include "support/text_checks.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "unit/identity.h"

namespace {
constexpr uint32_t relocation_base = 0x00100000;

std::vector<uint8_t> bytes_of(const std::string& s, std::size_t from = 0, std::size_t n = std::string::npos) {
    const std::string part = s.substr(from, n);
    return {part.begin(), part.end()};
}

uint32_t raw_register(const std::vector<uint8_t>& bytes, std::size_t n) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, bytes.data(), int32_t(n));
    return reg;
}

}  // namespace

class EarlierLoads : public WizardTest {
protected:
    SimUnit& earlier_unit(SimConfig config = {}) {
        config.generation = 1;
        config.p_table.hardware_id = 0x12345FFF;
        config.p_table.relocation_base = relocation_base;
        return attach_unit(config);
    }

    // The setup page on the earlier-generation link (files typed into its
    // boxes) or, when the unit was found on the "Gadget Serial" port, on the
    // current-generation link (files from the catalogue).
    void setup(bool current_way, std::vector<TechAction> actions) {
        g_link.current_link_seen = current_way;
        setup_page_start(dir.path(), "", "Uploader");
        actions.push_back(tech::click(ID_SETUP_NEXT));
        script_page(SETUP_PAGE, std::move(actions));
        ASSERT_EQ(DoSetup(), ID_SETUP_NEXT);
    }

    // What the earlier-generation setup page's Next does with the technician's
    // choice of a database file (its airport and terrain choices stay
    // disabled while no model is detected, as on an earlier unit).
    void choose_database(LoaderFunction function, const std::string& path) {
        ASSERT_TRUE(earlier_check_next({function, "", path, ""}));
        set_handed_function(function);
    }

    // What the waiting page leaves for the transfer page with this unit.
    int transfer(std::vector<TechAction> actions = {tech::wait(1500), tech::escape()}) {
        EXPECT_TRUE(locate_unit_port());
        unit_close_port();
        g_unit.unit_generation = 1;
        g_unit_tables.p_table.valid = true;
        const auto p_table = sim_p_table(unit->config());
        std::copy(p_table.begin(), p_table.end(), g_unit_tables.p_table.bytes.begin());
        g_link.port_found = true;
        script_page(TRANSFER_PAGE, std::move(actions));
        return DoTransfer();
    }

    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
    std::string transfer_line() const { return page_control(TRANSFER_PAGE, ID_TRANSFER_LINE).text; }

    std::string airport_file(const std::string& file) {
        std::filesystem::create_directories(dir.file("Airport Files"));
        return dir.write("Airport Files/61734-NDB-2301-00017.bin", file);
    }
};

TEST_F(EarlierLoads, AirportControlBlockIsRelocatedOnceAndTheDataStoredAsInTheFile) {
    const std::string data = filler_bytes(2500, 7);
    struct Case {
        const char* name;
        std::string file;
        bool relocated_already;
    };
    const Case cases[] = {{"as built", build_earlier_map_file(data, 0), false},
                          {"relocated before", build_earlier_map_file(data, relocation_base + 256), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        SimUnit& sim = earlier_unit();
        const std::string path = airport_file(c.file);
        choose_database(LF_AIRPORT, path);
        EXPECT_EQ(transfer(), 0);

        ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
        const SimLoad& load = sim.loads()[0];
        ASSERT_TRUE(load.accepted) << load.verdict;
        const std::vector<uint8_t> info = bytes_of(c.file, map_header_size, 256);
        if (c.relocated_already) {
            EXPECT_EQ(load.control_block, info) << "sent unchanged with its stored checksum";
        } else {
            for (int i = 0; i < 9; ++i)
                EXPECT_EQ(get_be32(&load.control_block[8 * i]), get_be32(&info[8 * i]) + relocation_base + 256);
            EXPECT_EQ(get_be32(&load.control_block[252]), raw_register(load.control_block, 252));
            EXPECT_TRUE(std::equal(info.begin() + 72, info.begin() + 252, load.control_block.begin() + 72));
        }
        EXPECT_EQ(std::vector<uint8_t>(load.data.begin() + 256, load.data.end()), bytes_of(data));
        EXPECT_TRUE(has(status(), "Load airport data, 2500 bytes\r\n"));
        EXPECT_TRUE(has(status(), "Load airport data complete\r\n"));
        EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Load Airport Data Complete");
    }
}

TEST_F(EarlierLoads, AirportBlocksRefusedAreSentAgainAndTheFlashWriteRetried) {
    SimConfig config;
    config.faults.refused_blocks = 3;
    config.faults.flash_retries = 1;
    config.flash_ms = 4000;
    SimUnit& sim = earlier_unit(config);
    const std::string data = filler_bytes(3000, 3);
    choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(data, 0)));
    EXPECT_EQ(transfer(), 0);

    const std::string transcript = sim.transcript_text();
    EXPECT_EQ(occurrences(transcript, "> D block 1024 bytes at 0x00000100"), 4u) << transcript;
    EXPECT_EQ(occurrences(transcript, "< NO: busy"), 3u);
    EXPECT_EQ(occurrences(transcript, "> W\n"), 2u) << "the unit's Retry repeats the write";
    ASSERT_EQ(sim.loads().size(), 1u);
    EXPECT_TRUE(sim.loads()[0].accepted);
    EXPECT_EQ(std::vector<uint8_t>(sim.loads()[0].data.begin() + 256, sim.loads()[0].data.end()), bytes_of(data));
    const std::string log = log_text();
    EXPECT_TRUE(has(log, "    Retry count 3    ")) << log;
    EXPECT_TRUE(has(log, "Unit sent 'Begin erase'")) << log;
    EXPECT_TRUE(has(log, "Unit sent 'OK: flash written'")) << log;
    EXPECT_TRUE(has(status(), "Writing to flash\r\n"));
}

TEST_F(EarlierLoads, AirportUnitRefusingTenTimesIsOfferedALowerRate) {
    const char* question = "Unit replied with an error\nTry again at lower baud rate?";
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        pages_reset();
        SimConfig config;
        config.faults.answers_up_to_baud = 57600;
        SimUnit& sim = earlier_unit(config);
        const std::string data = filler_bytes(1500, 5);
        choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(data, 0)));
        script_expect_box(question, "Error", yes ? BOX_YES : BOX_NO);
        EXPECT_EQ(transfer(), 0);

        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(occurrences(transcript, "< NO: garbled"), 10u) << transcript;
        if (yes) {
            EXPECT_TRUE(has(transcript, "> BR 57600\n# link speed 57600\n> N\n# block receiver restarted\n"
                                        "> D block 1024 bytes at 0x00000100\n< OK\n"))
                << transcript;
            ASSERT_EQ(sim.loads().size(), 1u);
            EXPECT_TRUE(sim.loads()[0].accepted);
            EXPECT_TRUE(has(log_text(), "   Baud Rate Set to 115200   ")) << "the title names the protocol's setting";
            EXPECT_TRUE(has(status(), "Load airport data complete"));
        } else {
            EXPECT_TRUE(sim.loads().empty());
            EXPECT_FALSE(has(transcript, "> W")) << transcript;
            EXPECT_FALSE(sim_port_is_open());
            EXPECT_FALSE(has(status(), "complete"));
        }
    }
}

// The lower-rate command leaves the protocol's setting as it is: every step
// down asks for the same lower rate, and the load goes on as long as the
// technician answers Yes.
TEST_F(EarlierLoads, AirportStepsDownAgainAndAgainWithTheSameCommand) {
    SimConfig config;
    config.faults.refused_blocks = 50;
    SimUnit& sim = earlier_unit(config);
    const std::string data = filler_bytes(1500, 5);
    choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(data, 0)));
    for (int i = 0; i < 5; ++i)
        script_expect_box("Unit replied with an error\nTry again at lower baud rate?", "Error", BOX_YES);
    EXPECT_EQ(transfer(), 0);

    const std::string transcript = sim.transcript_text();
    EXPECT_EQ(occurrences(transcript, "> BR 57600\n"), 5u) << transcript;
    for (const char* lower : {"> BR 38400", "> BR 19200", "> BR 9600"}) EXPECT_FALSE(has(transcript, lower)) << lower;
    EXPECT_EQ(occurrences(log_text(), "   Baud Rate Set to 115200   "), 5u) << log_text();
    ASSERT_EQ(sim.loads().size(), 1u);
    EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
    EXPECT_TRUE(has(status(), "Load airport data complete"));
}

TEST_F(EarlierLoads, AirportFlashFailureAsksAndEndsThePage) {
    SimConfig config;
    config.faults.flash_fails = true;
    SimUnit& sim = earlier_unit(config);
    choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(filler_bytes(3000, 2), 0)));
    script_expect_box("Burn flash failed\nTry again?", "Error", BOX_YES);
    EXPECT_EQ(transfer({}), 1000);
    EXPECT_FALSE(sim.loads().at(0).accepted);
    EXPECT_FALSE(has(status(), "complete"));
}

class EarlierTerrain : public EarlierLoads {
protected:
    // A header file of `header_size` bytes and a data file beside it.
    std::string terrain_files(std::size_t header_size, const std::string& data) {
        const std::size_t bare = build_terrain_pair({.generation = TerrainGeneration::earlier, .info = ""}).info_file.size();
        TerrainPair pair = build_terrain_pair(
            {.generation = TerrainGeneration::earlier, .info = filler_bytes(header_size - bare, 11), .data = "d"});
        std::filesystem::create_directories(dir.file("Terrain Files"));
        header = pair.info_file;
        dir.write("Terrain Files/t1_theader.bin", header);
        return dir.write("Terrain Files/t1_tdata.bin", data);
    }
    std::string header;
};

TEST_F(EarlierTerrain, HeaderThenDataInChunksOfTwoMebibytesWithTheLastPadded) {
    SimUnit& sim = earlier_unit();
    const std::string data = filler_bytes(5000000, 9);
    const std::string path = terrain_files(300, data);
    choose_database(LF_TERRAIN, path);
    EXPECT_EQ(transfer({}), 1000) << "the data phase ends the page";

    const std::string transcript = sim.transcript_text();
    EXPECT_EQ(occurrences(transcript, "> ZH 12C\n"), 1u) << transcript;
    EXPECT_EQ(occurrences(transcript, "> ZT 200000\n"), 1u) << "the chunk size is announced once";
    ASSERT_EQ(sim.loads().size(), 4u);
    EXPECT_EQ(sim.loads()[0].name, "terrain header");
    EXPECT_EQ(std::vector<uint8_t>(sim.loads()[0].data.begin() + 256, sim.loads()[0].data.end()), bytes_of(header));
    for (std::size_t chunk = 0; chunk < 3; ++chunk) {
        SCOPED_TRACE(chunk);
        const SimLoad& load = sim.loads()[1 + chunk];
        EXPECT_TRUE(load.accepted) << load.verdict;
        EXPECT_EQ(load.length, 2097152u);
        std::vector<uint8_t> expected = bytes_of(data, chunk * 2097152, 2097152);
        expected.resize(2097152, 0);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), load.data.begin() + 256));
    }
    EXPECT_TRUE(transfer_line().starts_with("Transferring 5000000 bytes .. zeroing 12")) << transfer_line();
    EXPECT_TRUE(has(log_text(), "Terrain send, bytes 4194304 to 4999999 ...")) << log_text();
    const std::string text = status();
    EXPECT_TRUE(has(text, "Load terrain header, 300 bytes\r\nLoad terrain header complete\r\n"));
    EXPECT_TRUE(has(text, "Load terrain data, 5000000 bytes\r\nLoad terrain data complete\r\n"));
    EXPECT_EQ(handed_function(), LF_TERRAIN_DATA);
}

TEST_F(EarlierTerrain, HeaderFlashWaitsNineStepsOnAGenerationOneUnit) {
    SimUnit& sim = earlier_unit();
    const std::string path = terrain_files(300, filler_bytes(1000, 1));
    choose_database(LF_TERRAIN, path);
    EXPECT_EQ(transfer({}), 1000);
    const std::vector<SimEvent>& events = sim.transcript();
    std::vector<uint64_t> flash_asked, next_line;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != SimEvent::received || events[i].text != "W") continue;
        flash_asked.push_back(events[i].at_ms);
    }
    ASSERT_EQ(flash_asked.size(), 2u);
    const auto after = [&](uint64_t at, const std::string& text) {
        for (const SimEvent& e : events)
            if (e.at_ms >= at && e.kind == SimEvent::received && e.text == text) return e.at_ms;
        return uint64_t(0);
    };
    const uint64_t header_wait = after(flash_asked[0], "ZT 3E8") - flash_asked[0];
    EXPECT_GE(header_wait, 9u * 200);
    EXPECT_LT(header_wait, 10u * 200);
}

TEST_F(EarlierTerrain, TimeOutsAndRefusalsAskFromTheTenthOn) {
    struct Case {
        const char* name;
        int silent;
        int refused;
        std::vector<std::string> questions;
    };
    const Case cases[] = {
        {"eleven time-outs", 11, 0, {"Block send timed out\nTry again?", "Block send timed out\nTry again?"}},
        {"ten refusals", 0, 10, {"Unit replied with an error\nTry again?"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        SimConfig config;
        config.faults.silent_blocks = c.silent;
        config.faults.refused_blocks = c.refused;
        SimUnit& sim = earlier_unit(config);
        choose_database(LF_TERRAIN, terrain_files(300, filler_bytes(1000, 1)));
        for (const std::string& question : c.questions) script_expect_box(question, "Error", BOX_YES);
        EXPECT_EQ(transfer({}), 1000);
        const std::size_t tries = std::size_t(c.silent + c.refused + 1);
        EXPECT_EQ(occurrences(sim.transcript_text(), "> D block 300 bytes at 0x00000100"), tries);
        EXPECT_TRUE(has(log_text(), "    Retry count " + std::to_string(tries - 1) + "    "));
        EXPECT_TRUE(has(status(), "Load terrain data complete"));
    }
}

TEST_F(EarlierTerrain, AFailedHeaderSendsNoData) {
    SimConfig config;
    config.faults.unanswered = {"ZH"};
    SimUnit& sim = earlier_unit(config);
    const std::string path = terrain_files(300, filler_bytes(1000, 1));
    choose_database(LF_TERRAIN, path);
    script_expect_box("no reply", "Can't send size");
    EXPECT_EQ(transfer(), 0);
    EXPECT_FALSE(has(sim.transcript_text(), "ZT")) << sim.transcript_text();
    EXPECT_TRUE(sim.loads().empty());
    EXPECT_EQ(handed_function(), LF_TERRAIN);
}

TEST_F(EarlierTerrain, FileErrorsAreShownInTheirOwnBoxAndTheLoadStartsOverNextTime) {
    struct Case {
        const char* name;
        void (*spoil)(const std::string& path);
        std::string (*text)(const std::string& path);
        const char* caption;
    };
    const Case cases[] = {
        {"gone", [](const std::string& path) { std::filesystem::remove(path); },
         [](const std::string& path) {
             return std::to_string(ENOENT) + " -- " + system_error_text(ENOENT) + " on File " + path + " (1)";
         },
         "Open Error"},
        {"empty", [](const std::string& path) { std::filesystem::resize_file(path, 0); },
         [](const std::string& path) { return "File " + path + " is empty"; }, "Read Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        SimUnit& sim = earlier_unit();
        const std::string path = terrain_files(300, filler_bytes(1000, 1));
        choose_database(LF_TERRAIN, path);
        c.spoil(path);
        script_expect_box(c.text(path), c.caption);
        EXPECT_EQ(transfer(), 0) << "the page stays open after the box";
        EXPECT_EQ(sim.loads().size(), 1u) << "the header was written, no data";
        EXPECT_FALSE(has(sim.transcript_text(), "ZT"));
        EXPECT_EQ(handed_function(), LF_TERRAIN);
    }
}

class EarlierSoftware : public EarlierLoads {
protected:
    std::string image;
    std::string system_file(uint32_t length) {
        image = build_system_image({.length = length});
        std::filesystem::create_directories(dir.file("System Files"));
        return dir.write("System Files/unit.hex", hex_text(image));
    }
    void compatible_unit() {
        SimConfig config;
        earlier_unit(config);
        unit->config().p_table.hardware_id = be32_at(image, 248);
    }
};

TEST_F(EarlierSoftware, ControlBlockThenBlocksFromOffset256WithoutReplies) {
    const std::string path = system_file(272);
    compatible_unit();
    setup(false, {tech::click(LF_SYSTEM_SOFTWARE), tech::type(ID_SYSTEM_BOX, path)});
    EXPECT_EQ(transfer(), 0);
    const std::string transcript = unit->transcript_text();
    EXPECT_TRUE(has(transcript, "> P\n> C block 256 bytes at 0x00000000\n> D block 16 bytes at 0x00000100\n"))
        << transcript;
    ASSERT_EQ(unit->loads().size(), 1u);
    const SimLoad& load = unit->loads()[0];
    EXPECT_TRUE(load.accepted) << load.verdict;
    EXPECT_EQ(load.control_block, bytes_of(image, 0, 256));
    EXPECT_EQ(std::vector<uint8_t>(load.data.begin() + 256, load.data.end()), bytes_of(image, 256));
    EXPECT_TRUE(std::filesystem::exists(configuration_file_path())) << "the configuration is backed up first";
    EXPECT_TRUE(has(status(), "Load system software, 272 bytes\r\n"));
    EXPECT_TRUE(has(status(), "System software load complete\r\n"));
}

TEST_F(EarlierSoftware, RefusedFlashWriteAsks) {
    const std::string path = system_file(4000);
    compatible_unit();
    unit->config().faults.flash_fails = true;
    setup(false, {tech::click(LF_SYSTEM_SOFTWARE), tech::type(ID_SYSTEM_BOX, path)});
    script_expect_box("Flash Write failed\nTry again?", "Error", BOX_NO);
    EXPECT_EQ(transfer({}), 0);
    EXPECT_FALSE(unit->loads().at(0).accepted);
    EXPECT_FALSE(has(status(), "complete"));
}

// Each line of the flash write has its own limit, read again after every
// "Begin" progress line; only a unit that never gives its verdict is given up
// on, at the load's total bound (10 min for system software, 30 min for the
// databases) counted from the first read.
TEST_F(EarlierSoftware, AFlashWriteReportingProgressIsWaitedForUpToItsTotalBound) {
    struct Case {
        const char* name;
        bool software;
        uint32_t progress_ms;  // 0: the write never ends
        uint64_t bound_ms;
    };
    const Case cases[] = {
        {"software, 40 s of progress", true, 40000, 0},
        {"software, never ends", true, 0, 10 * 60000},
        {"airport, 15 min of progress", false, 15 * 60000, 0},
        {"airport, never ends", false, 0, 30 * 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        const std::string path = system_file(4000);
        compatible_unit();
        unit->config().flash_progress_ms = c.progress_ms;
        unit->config().faults.flash_never_ends = c.progress_ms == 0;
        if (c.software)
            setup(false, {tech::click(LF_SYSTEM_SOFTWARE), tech::type(ID_SYSTEM_BOX, path)});
        else
            choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(filler_bytes(3000, 2), 0)));
        if (c.bound_ms) script_expect_box("Operation timed out\nTry again?", "Error", BOX_YES);
        std::vector<TechAction> actions;
        if (!c.bound_ms) actions = {tech::wait(1500), tech::escape()};
        const int result = transfer(actions);
        const uint64_t ended = now_ms();

        uint64_t flash_asked = 0;
        for (const SimEvent& e : unit->transcript())
            if (e.kind == SimEvent::received && e.text == "W") flash_asked = e.at_ms;
        ASSERT_NE(flash_asked, 0u) << unit->transcript_text();
        EXPECT_GT(occurrences(log_text(), "Unit sent 'Begin write'"), 7u);
        if (c.bound_ms) {
            EXPECT_EQ(result, 1000);
            // The wait steps of a generation-1 unit (10 or 12 s) come before the first read.
            EXPECT_GE(ended - flash_asked, c.bound_ms);
            EXPECT_LT(ended - flash_asked, c.bound_ms + 15000);
            EXPECT_FALSE(has(status(), "complete")) << status();
        } else {
            EXPECT_EQ(result, 0);
            ASSERT_EQ(unit->loads().size(), 1u);
            EXPECT_TRUE(unit->loads()[0].accepted) << unit->loads()[0].verdict;
            EXPECT_TRUE(has(log_text(), "Unit sent 'OK: flash written'")) << log_text();
            EXPECT_TRUE(has(status(), "complete\r\n")) << status();
        }
    }
}

// When the earlier unit was found on the "Gadget Serial" port the setup page
// took the current-generation way; the loads still get their inputs, through
// the earlier-generation checks.
TEST_F(EarlierLoads, InputsArePreparedWhenTheSetupPageTookTheCurrentWay) {
    const std::string data = filler_bytes(2000, 4);
    SimUnit& sim = earlier_unit();
    airport_file(build_earlier_map_file(data, 0));
    setup(true, {tech::click(LF_AIRPORT)});
    EXPECT_EQ(transfer(), 0);
    ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads()[0].accepted);
    EXPECT_EQ(std::vector<uint8_t>(sim.loads()[0].data.begin() + 256, sim.loads()[0].data.end()), bytes_of(data));
}

TEST_F(EarlierLoads, ACablePulledEndsTheLoadWithinItsBoundWithoutACompletion) {
    struct Case {
        const char* name;
        long pulled_after;  // -1: when the blocks are done
        int flash_retries;
        std::vector<std::pair<std::string, int>> boxes;
    };
    const std::string data = filler_bytes(20000, 8);
    const Case cases[] = {
        {"mid-blocks", 6000, 0, {{"Unit replied with an error\nTry again at lower baud rate?", BOX_YES}}},
        {"mid-flash-write", -1, 0, {{"Operation timed out\nTry again?", BOX_NO}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        SimConfig config;
        config.faults.flash_retries = c.flash_retries;
        SimUnit& sim = earlier_unit(config);
        choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(data, 0)));
        sim.config().faults.cable_pulled_after = c.pulled_after;
        for (const auto& [text, answer] : c.boxes) script_expect_box(text, "Error", answer);
        const uint64_t start = now_ms();
        if (c.pulled_after >= 0) {
            transfer();
        } else {
            // Out as the last block has gone: the flash write is asked for on a dead link.
            transfer({tech::check([&sim] { sim.config().faults.cable_pulled_after = 0; })
                          .when_progress_passes(ID_PROGRESS, 999)});
        }
        EXPECT_LT(now_ms() - start, 120000u);
        EXPECT_FALSE(has(status(), "complete")) << status();
        EXPECT_FALSE(sim_port_is_open());
    }
}

// A unit that takes no control block in three rounds, each after a fresh
// connection, leaves the transfer page open with the reason on it: the load
// returns, and the technician goes back or exits from there.
TEST_F(EarlierLoads, AnAbandonedLoadModeLeavesThePageOpen) {
    SimUnit& sim = earlier_unit();
    choose_database(LF_AIRPORT, airport_file(build_earlier_map_file(filler_bytes(3000, 2), 0)));
    // A line so slow that no block header goes out in time; commands still do.
    script_on_page([](int page, bool opening) {
        if (page == TRANSFER_PAGE && opening) sim_port_slow_writes(100);
    });
    for (int round = 0; round < 3; ++round) script_expect_box("Control Block write error", "Note");
    sim_port_expect_anomaly("block cut short");
    EXPECT_EQ(transfer({tech::wait(120000), tech::escape()}), 0) << "the page waited for the technician";
    script_on_page(nullptr);
    EXPECT_EQ(occurrences(sim.transcript_text(), "> M\n"), 3u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads().empty());
    EXPECT_TRUE(status().ends_with("The unit could not be put into its load mode.\r\n")) << status();
    EXPECT_FALSE(sim_port_is_open());
}

// The current way reads no ".hex" file; the image the transfer page reads in
// its place is tested against the unit before anything is sent.
TEST_F(EarlierSoftware, ImageReadOnTheCurrentWayIsTestedAgainstTheUnit) {
    system_file(1024);
    SimUnit& sim = earlier_unit();
    sim.config().p_table.hardware_id = be32_at(image, 248) ^ 0x01000000;  // another board
    setup_page_start(dir.path(), "", "Uploader");
    set_handed_function(LF_SYSTEM_SOFTWARE);
    script_expect_box("Software to be loaded is not compatible with attached unit.\nCould not load this system software file",
                      "Loader Version Error");
    transfer();
    EXPECT_FALSE(has(sim.transcript_text(), "> P\n")) << sim.transcript_text();
    EXPECT_TRUE(has(status(), "Transfer aborted.\r\n"));
}

// On the current way no parameter file was named on the setup page: the
// backup goes to the unit's own parameter file, as for a current unit.
TEST_F(EarlierSoftware, OnTheCurrentWayTheBackupGoesToTheUnitsOwnParameterFile) {
    system_file(272);
    compatible_unit();
    g_link.current_link_seen = true;
    setup_page_start(dir.path(), "", "Uploader");
    script_page(SETUP_PAGE, {tech::click(ID_SETUP_EXIT)});
    DoSetup();
    ASSERT_TRUE(prepare_backup_file());
    set_handed_function(LF_SYSTEM_SOFTWARE);
    EXPECT_EQ(transfer(), 0);
    ASSERT_EQ(unit->loads().size(), 1u) << unit->transcript_text();
    EXPECT_TRUE(unit->loads()[0].accepted);
    EXPECT_TRUE(has(read_whole_file(parameter_file_path()), unit->parameters().front())) << parameter_file_path();
    EXPECT_TRUE(has(status(), "System software load complete\r\n")) << status();
}

TEST_F(EarlierSoftware, WithoutAnImageAnywhereTheSetupPageIsAskedFor) {
    earlier_unit();
    setup_page_start(dir.path(), "", "Uploader");
    set_handed_function(LF_SYSTEM_SOFTWARE);
    script_expect_box("Need to select Program file name before proceeding", "Error");
    EXPECT_EQ(transfer({}), 1000);
    EXPECT_TRUE(unit->loads().empty());
}

// An earlier unit found on the "Gadget Serial" port is offered the earlier
// form of terrain on the setup page (the current form's catalogue has none of
// it), and Next hands that pair to the earlier terrain load.
TEST_F(EarlierTerrain, OnTheCurrentWayTheSetupPageOffersTheEarlierPair) {
    SimUnit& sim = earlier_unit();
    const std::string data = filler_bytes(3000, 4);
    terrain_files(300, data);
    // The program names the files with its own separator.
    const std::string folder = dir.file("Terrain Files") + path_separator;
    setup(true, {tech::click(LF_TERRAIN), tech::check([&] {
                     EXPECT_EQ(page_control(SETUP_PAGE, ID_DATABASE_BOX).text, folder + "t1_tdata.bin");
                 })});
    EXPECT_EQ(handed_function(), LF_TERRAIN);
    EXPECT_EQ(earlier_terrain_header_file(), folder + "t1_theader.bin");
    EXPECT_EQ(transfer({}), 1000) << status();
    ASSERT_EQ(sim.loads().size(), 2u) << sim.transcript_text();
    EXPECT_EQ(sim.loads()[0].name, "terrain header");
    EXPECT_TRUE(sim.loads()[1].accepted) << sim.loads()[1].verdict;
    ASSERT_GE(sim.loads()[1].data.size(), data.size() + 256);
    EXPECT_EQ(std::string(sim.loads()[1].data.begin() + 256, sim.loads()[1].data.begin() + 256 + long(data.size())), data);
    EXPECT_TRUE(has(status(), "Load terrain data complete\r\n")) << status();
}
