// `htaws-uploader status` against the in-process simulated unit: the unit read
// with the wake-up and the table queries alone, the masks read as versions,
// and every candidate of a media set judged as a load judges it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "app/page_loop.h"
#include "app/preflight/box_record.h"
#include "app/preflight/status_command.h"
#include "app/program_reset.h"
#include "app/waiting_validation.h"
#include "catalogue/catalogue.h"
#include "catalogue/load_preparation.h"
#include "catalogue/setup_entry.h"
#include "catalogue/version_select.h"
#include "output/json_reader.h"
#include "check/media_set.h"
#include "link/serial.h"
#include "platform/serial.h"
#include "sim/sim_unit.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"
#include "support/temp_dir.h"

namespace {
// Databases of two versions each, an overlay file with a broken header and
// one system software set made for the board without the "A" variant.
MediaSet versions_media_set() {
    const std::string program = build_load_image({.id_text = "0x3400", .version_text = "1.07"});
    std::string broken_overlay = build_sectioned_file({.version = 1});
    broken_overlay[20] ^= 0x01;
    const TerrainPair terrain_1 = build_terrain_pair({.version = 1});
    const TerrainPair terrain_2 = build_terrain_pair({.version = 2});
    return {
        {"System Files/rk5200h_2.1.hhf", program},
        {"System Files/rk5200h_io_2.1.hhf", program},
        {"System Files/rk5200h_start_2.1.hhf", program},
        {"Terrain Files/61734-TDB-0001-00001_header.bin", terrain_1.info_file},
        {"Terrain Files/61734-TDB-0001-00001_data.bin", terrain_1.data_file},
        {"Terrain Files/61734-TDB-0002-00001_header.bin", terrain_2.info_file},
        {"Terrain Files/61734-TDB-0002-00001_data.bin", terrain_2.data_file},
        {"Airport Files/61734-NDB-0001-00001.bin", build_map_file({.version = 1})},
        {"Airport Files/61734-NDB-0002-00001.bin", build_map_file({.version = 2})},
        {"Obstacle Files/61734-ODB-0001-00001.bin", build_sectioned_file({.version = 1})},
        {"Obstacle Files/61734-ODB-0003-00001.bin", build_sectioned_file({.version = 3})},
        {"Overlay Files/61734-GDB-0001-00001.bin", build_sectioned_file({.version = 1})},
        {"Overlay Files/61734-GDB-0009-00001.bin", broken_overlay},
    };
}

class Preflight : public ::testing::Test {
protected:
    void SetUp() override { reset_program_state(); }
    void TearDown() override {
        reset_link_state();
        const std::string anomalies = sim_port_finish();
        EXPECT_TRUE(anomalies.empty()) << anomalies << (unit ? unit->transcript_text() : "");
    }
    SimUnit& attach_unit(SimConfig config = {}) {
        // The unit attached before is gathered by the attach, so it goes after it.
        auto next = std::make_unique<SimUnit>(std::move(config));
        sim_port_attach(next.get());
        unit = std::move(next);
        return *unit;
    }
    // The unit heard nothing but the wake-up and the five table queries.
    void expect_only_wake_up_and_queries() {
        const std::set<std::string> allowed = {"<CAN x8>", "QP", "QT", "QB", "QN", "QY"};
        bool queried = false;
        for (const SimEvent& event : unit->transcript()) {
            if (event.kind != SimEvent::received) continue;
            EXPECT_TRUE(allowed.count(event.text)) << "sent to the unit: " << event.text;
            queried = queried || event.text == "QY";
        }
        EXPECT_TRUE(queried) << unit->transcript_text();
    }
    int status(const std::string& top, const std::string& port, bool json) {
        out.str("");
        err.str("");
        return run_status(top, port, json, out, err);
    }

    TempDir dir;
    std::unique_ptr<SimUnit> unit;
    std::ostringstream out;
    std::ostringstream err;
};

std::string last_line(const std::string& text) {
    const std::string trimmed = text.substr(0, text.find_last_not_of('\n') + 1);
    return trimmed.substr(trimmed.find_last_of('\n') + 1);
}

// What the waiting page decides for the candidate at `index`, prepared as a
// load prepares it: true when the load goes on to the transfer.
bool load_goes_on(LoaderFunction function, int index, const std::string& top) {
    catalogue_read_only_entry(top);
    catalogue_choose(*catalogue_of_function(function), index);
    if (!prepare_load(function, DiskAccess::read_only)) return false;
    g_link.port_found = true;
    const int result = validate_unit(function);
    g_link.port_found = false;
    return result == RESULT_NEXT;
}
}  // namespace

// Units of different masks and boards over one media set: each verdict is the
// one expected, and for every database it is what the waiting page of a load
// decides; the unit hears nothing beyond the wake-up and the table queries.
TEST_F(Preflight, VerdictsAreThoseOfALoadAndTheUnitOnlyAnswersQueries) {
    struct Case {
        uint32_t hardware_id;
        uint32_t airport, terrain, obstacle, overlay;
        const char* accepts;
        std::set<std::string> compatible;
    };
    const Case cases[] = {
        {0x34029FFF, 0x1, 0x2, 0x1, 0x1, "airport major versions 1; terrain 1; obstacle 1; overlay 1",
         {"2.1.hhf", "61734-TDB-0001-00001", "61734-NDB-0001-00001", "61734-ODB-0001-00001",
          "61734-GDB-0001-00001"}},
        {0x34019FFF, 0x2, 0x4, 0x4, 0x0, "airport major versions 2; terrain 2; obstacle 3; overlay none",
         {"61734-TDB-0002-00001", "61734-NDB-0002-00001", "61734-ODB-0003-00001"}},
        {0x34029FFF, 0xFFFFFFFF, 0x3, 0x6, 0x1,
         "airport major versions 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, "
         "24, 25, 26, 27, 28, 29, 30, 31, 32; terrain 0, 1; obstacle 2, 3; overlay 1",
         {"2.1.hhf", "61734-TDB-0001-00001", "61734-NDB-0001-00001", "61734-NDB-0002-00001", "61734-ODB-0003-00001",
          "61734-GDB-0001-00001"}},
    };
    const std::string top = write_media_set(dir.path(), versions_media_set());
    const std::map<std::string, LoaderFunction> databases = {
        {"terrain", LF_TERRAIN}, {"airport", LF_AIRPORT}, {"obstacle", LF_OBSTACLE}, {"overlay", LF_OVERLAY}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.accepts);
        SimConfig config;
        config.p_table.hardware_id = c.hardware_id;
        config.p_table.airport_mask = c.airport;
        config.p_table.terrain_mask = c.terrain;
        config.p_table.obstacle_mask = c.obstacle;
        config.p_table.overlay_mask = c.overlay;
        attach_unit(config);
        const StatusReport report = survey_attached_units(top, "");
        ASSERT_EQ(report.units.size(), 1u);
        const UnitStatus& status = report.units[0];
        EXPECT_TRUE(report.succeeded) << report.message;
        EXPECT_EQ(accepts_text(status.unit), c.accepts);
        expect_only_wake_up_and_queries();
        EXPECT_FALSE(sim_port_is_open()) << "the port is closed at the end";
        int judged = 0;
        for (const KindVerdicts& kind : status.kinds) {
            for (std::size_t i = 0; i < kind.candidates.size(); ++i) {
                const CandidateVerdict& verdict = kind.candidates[i];
                ++judged;
                EXPECT_EQ(verdict.compatible, c.compatible.count(verdict.name) == 1) << verdict.name;
                EXPECT_EQ(verdict.compatible, verdict.reasons.empty()) << verdict.name;
                if (databases.count(kind.kind)) {
                    start_recording_boxes();
                    EXPECT_EQ(load_goes_on(databases.at(kind.kind), int(i), top), verdict.compatible) << verdict.name;
                    stop_recording_boxes();
                }
            }
        }
        EXPECT_EQ(judged, 9) << "every candidate of the set, the system software set as one";
        catalogue_module_reset();
        reset_link_state();
        EXPECT_TRUE(sim_port_finish().empty());
    }
}

// The text names the port, the identity, each table and the accepted
// versions, and each refusal says why; --json carries the same as one object.
TEST_F(Preflight, TextAndJsonReportTheUnitAndWhy) {
    SimConfig config;
    config.p_table.hardware_id = 0x34019FFF;
    config.p_table.unit_number = 0x00abcdef;
    config.p_table.terrain_mask = 0x2;
    attach_unit(config);
    const std::string top = write_media_set(dir.path(), versions_media_set());

    ASSERT_EQ(status(top, "", false), 0) << out.str();
    const std::string text = out.str();
    for (const char* part :
         {"Unit on sim: read\n", "unit number 00abcdef, hardware identifier 0x34019FFF, generation 4, model RK5200H",
          "tables: P valid, T valid, B valid, N valid, Y valid",
          "accepts airport major versions 1, 2; terrain 1; obstacle 1, 2; overlay 1, 2",
          "61734-TDB-0002-00001: incompatible: Terrain compatibility Mis-match: the file's major version 2 is not one "
          "the unit accepts",
          "2.1.hhf: incompatible: Incompatible Versions. Unit hardware identifier 0x34019FFF; file identifier "
          "'0x3400', version '1.07'",
          "61734-GDB-0009-00001: incompatible: Overlay File Error - 'CRC Failed : Overlay File Header.'."})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_EQ(last_line(text), "1 unit read.");

    ASSERT_EQ(status("", "sim", true), 0) << err.str();
    EXPECT_EQ(err.str(), "1 unit read.\n");
    const auto json = parse_json(out.str());
    ASSERT_TRUE(json) << out.str();
    const JsonValue& unit_json = (*json)["units"].array.at(0);
    EXPECT_EQ(unit_json["port"].string, "sim");
    EXPECT_EQ(unit_json["unit_number"].string, "00abcdef");
    EXPECT_EQ(unit_json["hardware_id"].string, "0x34019FFF");
    EXPECT_EQ(unit_json["generation"].number, 4u);
    EXPECT_EQ(unit_json["model"].string, "RK5200H");
    EXPECT_TRUE(unit_json["tables"]["Y"].boolean);
    ASSERT_EQ(unit_json["accepts"]["terrain"].array.size(), 1u);
    EXPECT_EQ(unit_json["accepts"]["terrain"].array[0].number, 1u);
    EXPECT_TRUE(unit_json["kinds"].array.empty()) << "no top-level directory given";
    EXPECT_EQ((*json)["outcome"].string, "read");
    expect_only_wake_up_and_queries();
}

// Each way of not reading a unit fails the command with its reason last.
TEST_F(Preflight, UnitNotReadFailsWithTheReasonLast) {
    EXPECT_EQ(status("", "", false), 1);
    EXPECT_EQ(last_line(out.str()), "No unit attached: no \"Gadget Serial\" port was found.");
    attach_unit();
    EXPECT_EQ(status("", "nosuch", false), 1);
    EXPECT_EQ(last_line(out.str()), "No unit attached: no \"Gadget Serial\" port named nosuch was found.");
    EXPECT_TRUE(unit->transcript().empty()) << "another port's unit is left alone";

    SerialPort* held = serial_open("sim");
    ASSERT_TRUE(held);
    EXPECT_EQ(status("", "", false), 1);
    serial_close(held);
    EXPECT_EQ(last_line(out.str()),
              "The port sim did not open: another program holds it, or this user may not use it.");
    EXPECT_TRUE(unit->transcript().empty()) << "a held port is not written to";

    SimConfig corrupt;
    corrupt.faults.corrupt_table = 'T';
    attach_unit(corrupt);
    EXPECT_EQ(status("", "", true), 1);
    EXPECT_EQ(err.str(), "The tables of the unit on sim could not be read.\n");
    EXPECT_NE(out.str().find("\"T\": false"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"unit_number\": \"12345678\""), std::string::npos) << "the P table still names it";
    expect_only_wake_up_and_queries();

    SimConfig silent;
    silent.faults.silent = true;
    attach_unit(silent);
    EXPECT_EQ(status("", "", false), 1);
    EXPECT_EQ(last_line(out.str()), "The unit on sim did not answer.");
    for (const SimEvent& event : unit->transcript()) {
        if (event.kind != SimEvent::received) continue;
        EXPECT_EQ(event.text, "<CAN x8>");
    }
}
