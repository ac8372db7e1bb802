// Functions run from the command line against the in-process simulated unit:
// the exit status, the printed lines, the unit's transcript and the JSON
// result; the questions answered by the options, and one left unanswered.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/batch/batch_options.h"
#include "app/batch/batch_output.h"
#include "app/batch/batch_run.h"
#include "app/program_reset.h"
#include "app/route_stand_ins.h"
#include "app/startup.h"
#include "app/transfer_routes.h"
#include "catalogue/file_listing.h"
#include "output/json_reader.h"
#include "formats/crc.h"
#include "loads/database_loads.h"
#include "loads/recordings.h"
#include "output/log.h"
#include "platform/batch/batch_pages.h"
#include "platform/paths.h"
#include "sim/sim_unit.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"
#include "support/temp_dir.h"

namespace {
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Outcome {
    int status;
    std::string lines;
    std::string json;
};

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        fresh();
    }
    void TearDown() override {
        finish();
        std::filesystem::current_path(previous);
    }
    // Every module as at program start, no unit attached.
    void fresh() { reset_program_state(); }
    void finish() {
        reset_link_state();
        const std::string anomalies = sim_port_finish();
        EXPECT_TRUE(anomalies.empty()) << anomalies << (unit ? unit->transcript_text() : "");
    }
    SimUnit& attach_unit(SimConfig config = {}) {
        unit = std::make_unique<SimUnit>(std::move(config));
        sim_port_attach(unit.get());
        return *unit;
    }
    Outcome run(std::vector<std::string_view> args) {
        args.insert(args.begin(), "run");
        const ParsedCommandLine parsed = parse_batch_command_line(args);
        EXPECT_TRUE(parsed.options) << parsed.error;
        std::FILE* lines = std::fopen(dir.file("lines.txt").c_str(), "w+");
        if (!lines) {
            ADD_FAILURE() << "cannot make the file of the printed lines";
            return {-1, "", ""};
        }
        std::ostringstream json;
        const int status = run_batch(*parsed.options, lines, json, [](void (*pages)()) {
            log_open_path(log_path);
            run_wizard(std::time(nullptr), pages);
            log_close();
            return 0;
        });
        std::rewind(lines);
        std::string text;
        for (int c; (c = std::fgetc(lines)) != EOF;) text += char(c);
        std::fclose(lines);
        return {status, text, json.str()};
    }
    std::string put(const char* folder, const char* name, const std::string& bytes) {
        std::filesystem::create_directories(dir.file(folder));
        return dir.write(std::string(folder) + "/" + name, bytes);
    }

    TempDir dir;
    std::unique_ptr<SimUnit> unit;
    std::filesystem::path previous;
    inline static std::string log_path = "Loader.LOG";
};

// A program image of the system software set for a board of 0x34029FFF.
std::string program_image() {
    LoadImageRecipe recipe;
    recipe.id_text = "0x3400";
    recipe.version_text = "1.07";
    return build_load_image(recipe);
}

uint32_t final_checksum(const std::string& bytes) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, bytes.data(), bytes.size());
    return crc_end(reg);
}
}  // namespace

TEST(BatchCommandLine, UsageErrorsAreRefusedAndOptionsRead) {
    struct Case {
        std::vector<std::string_view> args;
        const char* error;  // "" when accepted
    };
    const Case cases[] = {
        {{}, ""},
        {{"--help"}, ""},
        {{"list", "--top", "/x"}, ""},
        {{"run", "terrain", "--top", "/x", "--erase-if-full", "mnx", "--json"}, ""},
        {{"run", "system-software", "--reset", "none", "--port", "/dev/x", "--file", "v"}, ""},
        {{"run"}, "run needs a function"},
        {{"run", "terrains"}, "unknown function 'terrains'"},
        {{"fly"}, "unknown command 'fly'"},
        {{"run", "terrain", "--reset"}, "--reset needs a value"},
        {{"run", "terrain", "--reset", "fct"}, "--reset takes none, flt or mnx, not 'fct'"},
        {{"run", "terrain", "--erase-if-full", "none"}, "--erase-if-full takes flt or mnx, not 'none'"},
        {{"run", "terrain", "--verbose"}, "unknown option '--verbose'"},
        {{"list", "--json"}, "unknown option '--json'"},
        {{"--help", "run"}, "--help takes no arguments"},
        {{"history", "--top", "/x", "--unit", "12345678", "--json"}, ""},
        {{"history", "--unit", "12g"}, "--unit takes a unit number as the unit shows it (hexadecimal), not '12g'"},
        {{"history", "--unit", "123456789"},
         "--unit takes a unit number as the unit shows it (hexadecimal), not '123456789'"},
        {{"history", "--file", "x"}, "unknown option '--file'"},
        {{"run", "terrain", "--unit", "1"}, "unknown option '--unit'"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse_batch_command_line(c.args);
        EXPECT_EQ(parsed.error, c.error) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(parsed.options.has_value(), std::string(c.error).empty());
    }
    const BatchOptions o =
        *parse_batch_command_line(std::vector<std::string_view>{"run", "hass-config", "--reset", "flt", "--port", "p"})
             .options;
    EXPECT_EQ(o.function, LF_HASS_CONFIG);
    EXPECT_EQ(o.reset, 0);
    EXPECT_EQ(o.erase_if_full, -2) << "not given: the erase offer has no answer";
    EXPECT_EQ(o.port, "p");
    const BatchOptions h = *parse_batch_command_line(std::vector<std::string_view>{"history", "--unit", "abc"}).options;
    EXPECT_EQ(h.command, BatchCommand::history);
    EXPECT_EQ(h.unit, 0xABCu);
}

TEST(BatchOutput, ProgressLineShowsBarBytesRateAndTimeLeft) {
    EXPECT_EQ(progress_line(250, 256 * 1024, 1024 * 1024, 256 * 1024, 4000),
              "[#######.......................] 25.0%  262144 of 1048576 bytes  64 KiB/s  0:12 left");
    EXPECT_EQ(progress_line(1000, 10, 10, 0, 500), "[##############################] 100.0%  10 of 10 bytes")
        << "one value of a pass: no rate";
    EXPECT_EQ(progress_line(5, 0, 0, 0, 10), "[..............................] 0.5%");
}

// Whatever the values, a line comes (the bar within its bounds, the figure as
// it is); given a terminal's width the line fits in it, the least needed
// parts leaving first.
TEST(BatchOutput, ProgressLineIsSafeForAnyValuesAndFitsItsWidth) {
    struct Case {
        int per_mille;
        uint64_t done, total, moved, elapsed_ms;
        std::size_t width;
        const char* line;
    };
    const Case cases[] = {
        {1992, 8192, 4100, 8192, 1000, 0, "[##############################] 199.2%  8192 of 4100 bytes  8 KiB/s"},
        {-5, 0, 10, 0, 0, 0, "[..............................] -0.5%  0 of 10 bytes"},
        {250, 256 * 1024, 1024 * 1024, 256 * 1024, 4000, 79,
         "[#######.......................] 25.0%  262144 of 1048576 bytes  64 KiB/s"},
        {250, 256 * 1024, 1024 * 1024, 256 * 1024, 4000, 40, "[#######.......................] 25.0%"},
        {250, 256 * 1024, 1024 * 1024, 256 * 1024, 4000, 20, "[###.........] 25.0%"},
        {250, 256 * 1024, 1024 * 1024, 256 * 1024, 4000, 10, "[##......."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(progress_line(c.per_mille, c.done, c.total, c.moved, c.elapsed_ms, c.width), c.line);
    }
}

TEST_F(BatchRun, ConfigurationReadCompletesBetweenStopAndStart) {
    SimUnit& sim = attach_unit();
    const Outcome r = run({"read-config", "--file", "backup.dat", "--json"});
    EXPECT_EQ(r.status, 0) << r.lines;
    EXPECT_TRUE(has(r.lines, "Communications ready\nReading configuration from unit\n")) << r.lines;
    EXPECT_TRUE(r.lines.ends_with("Returning to Setup dialog momentarily.\nRestarting the unit's flight "
                                  "functions...\nConfiguration read complete\n"))
        << "the run's message last\n"
        << r.lines;
    const std::string transcript = sim.transcript_text();
    const auto stop = transcript.find("> STOPF"), read = transcript.find("> RP"), start = transcript.find("> STARTF");
    ASSERT_NE(read, std::string::npos) << transcript;
    EXPECT_LT(stop, read);
    EXPECT_LT(read, start) << transcript;
    const auto json = parse_json(r.json);
    ASSERT_TRUE(json) << r.json;
    ASSERT_EQ((*json)["files"].array.size(), 1u) << r.json;
    const JsonValue& received = (*json)["files"].array[0];
    EXPECT_EQ(received["direction"].string, "received");
    EXPECT_TRUE(received["path"].string.ends_with("backup.dat")) << r.json;
    EXPECT_TRUE(has(read_whole_file(received["path"].string), sim.parameters().front()));
}

// A log that cannot be opened is printed as the warning it is; the run goes on.
TEST_F(BatchRun, UnopenableLogIsAWarningNotAFailure) {
    attach_unit();
    std::filesystem::create_directories(dir.file("Loader.LOG.d"));
    log_path = "Loader.LOG.d";
    const Outcome r = run({"read-config", "--file", "backup.dat"});
    log_path = "Loader.LOG";
    EXPECT_EQ(r.status, 0) << r.lines;
    EXPECT_TRUE(has(r.lines, "[IO Error ...] Open error: ")) << r.lines;
    EXPECT_TRUE(r.lines.ends_with("Configuration read complete\n")) << r.lines;
}

TEST_F(BatchRun, DatabaseLoadSendsTheFileAndReportsItInJson) {
    SimUnit& sim = attach_unit();
    const std::string file = build_sectioned_file({.version = 2});
    const std::string path = put("Obstacle Files", "61734-ODB-0001-00001.bin", file);
    const Outcome r = run({"obstacle", "--json"});
    EXPECT_EQ(r.status, 0) << r.lines;
    ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads()[0].accepted);
    EXPECT_TRUE(r.lines.ends_with("** Returning to Setup Dialog momentarily.\nRestarting the unit's flight "
                                  "functions...\nOBS Data Load Successful!\n"))
        << "the procedure's text of success last, once\n"
        << r.lines;
    EXPECT_TRUE(has(r.lines, "100.0%  " + std::to_string(file.size()) + " of " + std::to_string(file.size())))
        << r.lines;
    std::size_t full = 0;
    for (std::size_t at = r.lines.find("100.0%"); at != std::string::npos; at = r.lines.find("100.0%", at + 1)) ++full;
    EXPECT_EQ(full, 1u) << "a small file's one step is printed once\n" << r.lines;

    const auto json = parse_json(r.json);
    ASSERT_TRUE(json) << r.json;
    EXPECT_EQ((*json)["function"].string, "obstacle");
    EXPECT_EQ((*json)["outcome"].string, "completed");
    EXPECT_EQ((*json)["message"].string, "OBS Data Load Successful!");
    EXPECT_EQ((*json)["unit"]["model"].string, "RK5200H");
    ASSERT_EQ((*json)["files"].array.size(), 1u) << r.json;
    const JsonValue& sent = (*json)["files"].array[0];
    EXPECT_TRUE(std::filesystem::equivalent(sent["path"].string, path));
    EXPECT_EQ(sent["size"].number, file.size());
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "%08X", final_checksum(file));
    EXPECT_EQ(sent["checksum"].string, checksum);
    EXPECT_EQ(sim.loads()[0].checksum, final_checksum(file));
}

// Recordings of several packets each: every packet's progress stays within
// its length and the files hold what the unit sent.
TEST_F(BatchRun, RecordingsDownloadCompletes) {
    SimConfig config;
    const std::string big(10000, 'r');
    config.recordings = {{'a', 'b'}, {big.begin(), big.end()}};
    SimUnit& sim = attach_unit(config);
    const Outcome r = run({"download-recordings"});
    EXPECT_EQ(r.status, 0) << r.lines;
    EXPECT_TRUE(r.lines.ends_with("Flight Data Recording file transfers complete\n")) << r.lines;
    EXPECT_TRUE(has(sim.transcript_text(), "> RC")) << sim.transcript_text();
    for (std::size_t at = r.lines.find('%'); at != std::string::npos; at = r.lines.find('%', at + 1)) {
        const std::size_t start = r.lines.rfind(' ', at) + 1;
        EXPECT_LE(std::stod(r.lines.substr(start, at - start)), 100.0) << r.lines;
    }
    std::vector<std::string> sizes;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("Recording Files")))
        sizes.push_back(std::to_string(std::filesystem::file_size(entry.path())));
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::string>{"10000", "2"}));
}

// A fault of the program (an exception) in a procedure or on a page ends the
// run as failed with its text; the exit sequence still starts the unit again
// and the log keeps the text.
TEST_F(BatchRun, AFaultOfTheProgramEndsTheRunAsFailedAndTheExitSequenceRuns) {
    struct Case {
        const char* where;
        void (*inject)();
    };
    const Case cases[] = {
        {"in a procedure",
         [] {
             replace_procedures(
                 {{erase_recordings, [](Page) -> int { throw std::length_error("basic_string::_M_create"); }}});
         }},
        {"on a page",
         [] {
             set_file_lister([](const std::string&, const std::string&) -> std::vector<FileEntry> {
                 throw std::length_error("basic_string::_M_create");
             });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        fresh();
        SimUnit& sim = attach_unit();
        c.inject();
        const Outcome r = run({"erase-recordings"});
        set_file_lister({});
        const std::string text = "The program stopped the operation on an internal fault: basic_string::_M_create";
        EXPECT_EQ(r.status, 1) << r.lines;
        EXPECT_TRUE(r.lines.ends_with(text + "\n")) << r.lines;
        const std::string transcript = sim.transcript_text();
        EXPECT_LT(transcript.find("> STOPF"), transcript.find("> STARTF")) << transcript;
        EXPECT_TRUE(has(read_whole_file(dir.file("Loader.LOG")), text)) << "the log keeps the fault";
        finish();
    }
}

// The erase offer is answered only by --erase-if-full; without it the run ends
// with the offer's text and nothing is erased.
TEST_F(BatchRun, EraseOfferFollowsTheOptionElseEndsTheRunWithItsText) {
    struct Case {
        std::vector<std::string_view> options;
        bool erased;
        const char* reset;
    };
    const Case cases[] = {
        {{"obstacle"}, false, nullptr},
        {{"obstacle", "--erase-if-full", "mnx"}, true, "> RESET 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.size());
        fresh();
        SimConfig config;
        config.free_space.blocks = 1;
        SimUnit& sim = attach_unit(config);
        put("Obstacle Files", "61734-ODB-0001-00001.bin", build_sectioned_file({.version = 2}));
        const Outcome r = run(c.options);
        EXPECT_EQ(r.status, 1) << r.lines;
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(has(transcript, "> DDB"), c.erased) << transcript;
        EXPECT_TRUE(sim.loads().empty());
        if (c.reset) {
            EXPECT_TRUE(has(transcript, c.reset)) << transcript;
        }
        if (!c.erased) {
            EXPECT_TRUE(has(r.lines, "Erase Obstacles\nHTAWS file system is out of space.\n")) << r.lines;
        }
        finish();
    }
}

// Without a unit the run fails as the wizard's search does, naming the port
// it looked for, whatever the function (a database is not refused for want
// of a file).
TEST_F(BatchRun, NoUnitFailsWithTheSearchsTextAndJsonSaysSo) {
    struct Case {
        std::vector<std::string_view> args;
        const char* searched;
    };
    const Case cases[] = {
        {{"read-config", "--json"}, "No \"Gadget Serial\" port was found."},
        {{"terrain", "--json", "--port", "nosuch"}, "No \"Gadget Serial\" port named nosuch was found."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.searched);
        fresh();
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 1) << r.lines;
        const auto json = parse_json(r.json);
        ASSERT_TRUE(json) << r.json;
        EXPECT_EQ((*json)["outcome"].string, "failed");
        EXPECT_EQ((*json)["message"].string,
                  std::string("Could not find USB device\nPlease check connections\n") + c.searched);
        EXPECT_TRUE(r.lines.ends_with((*json)["message"].string + "\n")) << r.lines;
        finish();
    }
}

// The factory-settings confirmation is answered Yes only with
// --allow-factory-settings; otherwise the run fails and nothing is written.
TEST_F(BatchRun, FactorySettingsNeedTheirOption) {
    struct Case {
        std::vector<std::string_view> options;
        int status;
    };
    const Case cases[] = {
        {{"write-config", "--file", "factory.dat"}, 1},
        {{"write-config", "--file", "factory.dat", "--allow-factory-settings"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        fresh();
        SimUnit& sim = attach_unit();
        put("Parameter Files", "factory.dat", "ModelID=RK5200H Serial=12345678\nAudio Volume 0x00000007\n");
        const Outcome r = run(c.options);
        EXPECT_EQ(r.status, c.status) << r.lines;
        EXPECT_TRUE(has(r.lines, "[FACTORY SETTING OVERWRITE] You are about to update the Factory Settings.")) << r.lines;
        EXPECT_EQ(has(sim.transcript_text(), "> WP"), c.status == 0) << sim.transcript_text();
        finish();
    }
}

TEST_F(BatchRun, EndRequestEndsTheRunAsCancelled) {
    SimUnit& sim = attach_unit();
    put("Obstacle Files", "61734-ODB-0001-00001.bin", build_sectioned_file({.version = 2}));
    batch_request_end(2);
    const Outcome r = run({"obstacle"});
    batch_request_end(0);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.lines.ends_with("Cancelled\n")) << r.lines;
    EXPECT_TRUE(sim.loads().empty());
}

// --file picks a candidate of the version select as `list` names it: its
// whole name, or a part of one name only. A part of several names is a usage
// error; a name no candidate has ends the run with the candidates offered.
TEST_F(BatchRun, FileChoosesTheCandidateToLoad) {
    const std::string older = build_sectioned_file({.version = 2, .data = std::string(1000, 'a')});
    const std::string newer = build_sectioned_file({.version = 2, .data = std::string(2000, 'b')});
    struct Case {
        const char* file;
        int status;
        std::size_t loaded;  // 0: nothing
        const char* said;    // when nothing was loaded: the run's last lines, naming both candidates
    };
    const Case cases[] = {
        {"0001-00001", 0, older.size(), nullptr},
        {"0001-00002", 0, newer.size(), nullptr},
        {"61734-ODB-0001-00002", 0, newer.size(), nullptr},
        {"0009-00009", 1, 0, "No candidate matches '0009-00009'; offered:"},
        {"0001-0000", 2, 0, "--file '0001-0000' matches 2 candidates; name one:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fresh();
        SimUnit& sim = attach_unit();
        put("Obstacle Files", "61734-ODB-0001-00001.bin", older);
        put("Obstacle Files", "61734-ODB-0001-00002.bin", newer);
        const Outcome r = run({"obstacle", "--file", c.file});
        EXPECT_EQ(r.status, c.status) << r.lines;
        if (c.loaded == 0) {
            EXPECT_TRUE(sim.loads().empty());
            const std::size_t said = r.lines.rfind(c.said);
            ASSERT_NE(said, std::string::npos) << r.lines;
            for (const char* name : {"\n  61734-ODB-0001-00001", "\n  61734-ODB-0001-00002"})
                EXPECT_NE(r.lines.find(name, said), std::string::npos) << r.lines;
        } else {
            ASSERT_EQ(sim.loads().size(), 1u) << r.lines;
            EXPECT_EQ(sim.loads()[0].length, c.loaded);
        }
        finish();
    }
}

// --port keeps the search to that device: the unit on another one is not used.
TEST_F(BatchRun, PortLimitsTheSearchToThatDevice) {
    struct Case {
        const char* port;
        int status;
    };
    for (const Case& c : {Case{"sim", 0}, Case{"/dev/ttyGS9", 1}}) {
        SCOPED_TRACE(c.port);
        fresh();
        SimUnit& sim = attach_unit();
        const Outcome r = run({"read-config", "--port", c.port});
        EXPECT_EQ(r.status, c.status) << r.lines;
        EXPECT_EQ(has(sim.transcript_text(), "> RP"), c.status == 0) << sim.transcript_text();
        finish();
    }
}

// A failed run's last lines are its reason as the wizard words it, then what
// tells more of it (the unit's own reply, the identifiers compared): never a
// question's "Try again?", a dialog's legend or the system's "Success".
TEST_F(BatchRun, TheRunEndsWithItsMostSpecificReason) {
    struct Case {
        const char* what;
        std::vector<std::string_view> args;
        std::function<void(SimConfig&)> unit;
        std::function<std::string()> files;  // the run's last lines (or the start of its last line)
    };
    const std::string obstacle = build_sectioned_file({.version = 2});
    const Case cases[] = {
        {"a refused load mode", {"obstacle"}, [](SimConfig& c) { c.faults.refused_modes = 'P'; },
         [&] {
             put("Obstacle Files", "61734-ODB-0001-00001.bin", obstacle);
             return std::string("Unit replied with an error.\nUnit sent 'NO: mode refused'\n");
         }},
        {"an unanswered DF", {"obstacle"}, [](SimConfig& c) { c.faults.unanswered = {"DF"}; },
         [&] {
             put("Obstacle Files", "61734-ODB-0001-00001.bin", obstacle);
             return std::string("HTAWS file system is out of space: --erase-if-full flt or mnx erases the database and "
                                "resets the unit.\nThe unit did not answer \"DF\" (its free space).\n");
         }},
        {"a unit with too little room", {"obstacle"}, [](SimConfig& c) { c.free_space.blocks = 1; },
         [&] {
             put("Obstacle Files", "61734-ODB-0001-00001.bin", obstacle);
             return std::string("The unit has 4096 bytes free; the load needs more than ");
         }},
        {"software for another board", {"system-software", "--reset", "mnx"},
         [](SimConfig& c) { c.p_table.hardware_id = 0x34019FFF; },
         [&] {
             for (const char* name : {"rk5200h_1.07.hhf", "rk5200h_io_1.07.hhf", "rk5200h_start_1.07.hhf"})
                 put("System Files", name, program_image());
             return std::string(
                 "Incompatible Versions.\nUnit hardware identifier 0x34019FFF; file identifier '0x3400', version '1.07'\n");
         }},
        {"a truncated navigation file", {"airport"}, [](SimConfig&) {},
         [&] {
             const std::string whole = build_map_file({.data = std::string(3000, 'n'), .padding = 600});
             put("Airport Files", "61734-NDB-2301-00017.bin", whole.substr(0, whole.size() - 44));
             // The program names the file with its own separator.
             return "The file ends before its stated length on File " + dir.file("Airport Files") + path_separator +
                    "61734-NDB-2301-00017.bin (6)\n";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        SimConfig config;
        c.unit(config);
        attach_unit(config);
        const std::string last = c.files();
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 1) << r.lines;
        const std::size_t last_line = r.lines.rfind('\n', r.lines.size() - 2) + 1;
        EXPECT_TRUE(r.lines.ends_with(last) || r.lines.substr(last_line).starts_with(last)) << r.lines;
        finish();
    }
}

// --reset gives the system software load's restart mode: the unit is reset in
// it and not started again at exit. Without a mode the reset question goes
// unanswered, nothing is loaded and the unit is started again.
TEST_F(BatchRun, SystemSoftwareResetsInTheModeOfTheOption) {
    struct Case {
        const char* reset;
        const char* reset_sent;  // nullptr: the run ends at the question
    };
    for (const Case& c : {Case{"flt", "> RESET 0"}, Case{"mnx", "> RESET 1"}, Case{"none", nullptr}}) {
        SCOPED_TRACE(c.reset);
        fresh();
        SimConfig config;
        config.p_table.hardware_id = 0x34029FFF;
        SimUnit& sim = attach_unit(config);
        for (const char* name : {"rk5200h_1.07.hhf", "rk5200h_io_1.07.hhf", "rk5200h_start_1.07.hhf"})
            put("System Files", name, program_image());
        const Outcome r = run({"system-software", "--reset", c.reset});
        const std::string transcript = sim.transcript_text();
        EXPECT_EQ(has(transcript, "> STARTF"), !c.reset_sent) << "started again only when not reset\n" << transcript;
        if (!c.reset_sent) {
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(has(r.lines, "HTAWS Reset Mode\nThe HTAWS instrument will RESET after System File Load"))
                << r.lines;
            EXPECT_TRUE(sim.loads().empty());
            finish();
            continue;
        }
        EXPECT_EQ(r.status, 0) << r.lines;
        ASSERT_EQ(sim.loads().size(), 3u) << transcript;
        for (const SimLoad& load : sim.loads()) EXPECT_TRUE(load.accepted) << load.verdict;
        EXPECT_TRUE(has(transcript, c.reset_sent)) << transcript;
        finish();
    }
}

// A generation-1 unit takes its airport database through the earlier
// generation's blocks and flash write, from the same command.
// Such a unit on the USB port is given terrain in the earlier form, the pair
// that --file names (not the newest).
TEST_F(BatchRun, TerrainLoadToAnEarlierUnitSendsTheEarlierPairNamed) {
    SimConfig config;
    config.generation = 1;
    config.p_table.hardware_id = 0x12345FFF;
    SimUnit& sim = attach_unit(config);
    for (const std::string name : {"t1", "t2"}) {
        put("Terrain Files", (name + "_theader.bin").c_str(),
            build_terrain_pair({.generation = TerrainGeneration::earlier, .version = 1, .info = ""}).info_file);
        put("Terrain Files", (name + "_tdata.bin").c_str(), std::string(2000, name[1]));
    }
    const Outcome r = run({"terrain", "--file", "t1_tdata.bin"});
    EXPECT_EQ(r.status, 0) << r.lines;
    ASSERT_EQ(sim.loads().size(), 2u) << sim.transcript_text();
    EXPECT_EQ(sim.loads()[0].name, "terrain header");
    ASSERT_TRUE(sim.loads()[1].accepted) << sim.loads()[1].verdict;
    EXPECT_EQ(sim.loads()[1].data.at(256), '1') << "the pair named, not the newest";
}

TEST_F(BatchRun, AirportLoadToAnEarlierUnitRunsTheEarlierProcedure) {
    SimConfig config;
    config.generation = 1;
    config.p_table.hardware_id = 0x20010000;
    SimUnit& sim = attach_unit(config);
    put("Airport Files", "61734-NDB-2301-00017.bin", build_earlier_map_file(std::string(3000, 'm'), 0, 2));
    const Outcome r = run({"airport"});
    EXPECT_EQ(r.status, 0) << r.lines;
    ASSERT_EQ(sim.loads().size(), 1u) << sim.transcript_text();
    EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
}

// The faults a workshop meets, from the command line: each run fails, its last
// line says why, and the unit stopped at start is started again, or the last
// line says it may still be stopped.
TEST_F(BatchRun, FaultsEndTheRunWithTheirReasonAsItsLastLine) {
    struct Case {
        const char* fault;
        void (*inject)(SimConfig& unit);
        const char* last_line_has;
        bool started_again;
        TransferProcedure load = nullptr;  // in place of the obstacle load
    };
    const Case cases[] = {
        {"silent unit", [](SimConfig& u) { u.faults.silent = true; }, "The unit on sim did not answer after 20 attempts.",
         false},
        {"cable pulled in the body", [](SimConfig& u) { u.faults.cable_pulled_after = 60000; },
         "flight functions may still be stopped", false},
        {"Ctrl-C during the load", [](SimConfig&) {}, "Cancelled", true,
         [](Page page) {
             batch_request_end(SIGINT);
             return load_obstacle_database(page);
         }},
        {"crash inside the procedure", [](SimConfig&) {}, "a fault inside the load", true,
         [](Page) -> int { throw std::runtime_error("a fault inside the load"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        fresh();
        SimConfig config;
        c.inject(config);
        SimUnit& sim = attach_unit(config);
        if (c.load) replace_procedures({{load_obstacle_database, c.load}});
        put("Obstacle Files", "61734-ODB-0001-00001.bin",
            build_sectioned_file({.version = 2, .data = std::string(200000, 'o')}));
        Outcome r{};
        EXPECT_NO_THROW(r = run({"obstacle"}));
        batch_request_end(0);
        EXPECT_EQ(r.status, 1) << r.lines;
        const std::size_t last = r.lines.rfind('\n', r.lines.size() - 2);
        EXPECT_TRUE(has(r.lines.substr(last + 1), c.last_line_has)) << r.lines;
        EXPECT_FALSE(has(r.lines, "Transfer complete")) << r.lines;
        EXPECT_EQ(has(sim.transcript_text(), "> STARTF"), c.started_again) << sim.transcript_text();
        EXPECT_TRUE(sim.loads().empty() || !sim.loads().back().accepted);
        reset_link_state();
        static_cast<void>(sim_port_finish());  // the faults leave the unit a short body: not a finding here
    }
}
