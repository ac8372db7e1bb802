// The transfer page: which procedure runs for the chosen function and the
// unit at hand, the passage of an earlier-generation terrain load from its
// header to its data, the technician's question after a reply a procedure
// cannot take, and the technician's Escape in the middle of a transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/configuration_flows.h"
#include "app/page_layouts.h"
#include "app/route_stand_ins.h"
#include "app/startup.h"
#include "app/transfer_page.h"
#include "app/transfer_routes.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/system_file_reader.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "link/staging.h"
#include "loads/block_test.h"
#include "loads/database_loads.h"
#include "loads/earlier_loads.h"
#include "loads/image_loads.h"
#include "loads/recordings.h"
#include "loads/software_system.h"
#include "loads/reply_questions.h"
#include "platform/page_result.h"
#include "setup/setup_layout.h"
#include "setup/setup_page.h"
#include "support/text_checks.h"
#include "support/fixtures/catalogue_files.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "support/temp_dir.h"
#include "unit/identity.h"

namespace {
// Stand-in procedures that only record that they ran; each returns what the
// test asks of it.
struct Ran {
    std::vector<TransferProcedure> procedures;
    std::map<TransferProcedure, int> results;
};
Ran g_ran;

template <TransferProcedure procedure>
int stand_in(Page) {
    g_ran.procedures.push_back(procedure);
    auto it = g_ran.results.find(procedure);
    return it == g_ran.results.end() ? 0 : it->second;
}

void use_stand_ins() {
    replace_procedures({
        {load_system_software_serial, stand_in<load_system_software_serial>},
        {load_system_software, stand_in<load_system_software>},
        {load_os_image, stand_in<load_os_image>},
        {load_boot_image, stand_in<load_boot_image>},
        {load_nav_database, stand_in<load_nav_database>},
        {load_airport_serial, stand_in<load_airport_serial>},
        {load_terrain_database, stand_in<load_terrain_database>},
        {load_terrain_serial_header, stand_in<load_terrain_serial_header>},
        {load_terrain_serial_data, stand_in<load_terrain_serial_data>},
        {load_obstacle_database, stand_in<load_obstacle_database>},
        {load_overlay_database, stand_in<load_overlay_database>},
        {load_block_test, stand_in<load_block_test>},
        {read_configuration_flow, stand_in<read_configuration_flow>},
        {write_configuration_flow, stand_in<write_configuration_flow>},
        {refuse_download, stand_in<refuse_download>},
        {download_recordings, stand_in<download_recordings>},
        {erase_recordings, stand_in<erase_recordings>},
    });
}
}  // namespace

class TransferPage : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        g_ran = {};
    }
    // The state the waiting page leaves: the unit's generation, its P table
    // and whether the current-generation port was found.
    // The earlier-generation system image the setup page read, suiting the unit.
    void earlier_image_read() {
        const std::string image = build_system_image({});
        ASSERT_GT(read_system_file(dir.write("unit.hex", hex_text(image))), 0);
        std::copy_n(image.begin() + 248, 4, g_unit_tables.p_table.bytes.begin() + 248);
    }
    void unit_seen(int generation, bool p_table_valid, bool port_found) {
        ASSERT_TRUE(locate_unit_port());
        unit_close_port();
        g_unit.unit_generation = generation;
        g_unit_tables.p_table.valid = p_table_valid;
        g_link.port_found = port_found;
    }
};

TEST_F(TransferPage, RunsTheProcedureOfTheFunctionForTheUnitAtHand) {
    struct Case {
        LoaderFunction function;
        int generation;
        bool p_table_valid;
        bool port_found;
        TransferProcedure runs;  // nullptr when nothing runs
    };
    const Case cases[] = {
        {LF_SYSTEM_SOFTWARE, 4, true, true, load_system_software},
        {LF_SYSTEM_SOFTWARE, 1, true, true, load_system_software_serial},
        {LF_SYSTEM_SOFTWARE, 1, false, true, load_system_software},
        {LF_OS_IMAGE, 4, true, true, load_os_image},
        {LF_OS_IMAGE, 1, true, true, nullptr},
        {LF_BOOT_IMAGE, 4, true, true, load_boot_image},
        {LF_BOOT_IMAGE, 1, true, true, nullptr},
        {LF_AIRPORT, 4, true, true, load_nav_database},
        {LF_AIRPORT, 1, true, true, load_airport_serial},
        {LF_TERRAIN, 4, true, true, load_terrain_database},
        {LF_TERRAIN_DATA, 1, true, true, load_terrain_serial_data},
        {LF_OBSTACLE, 4, true, true, load_obstacle_database},
        {LF_OBSTACLE, 1, true, true, nullptr},
        {LF_OVERLAY, 4, true, true, load_overlay_database},
        {LF_OVERLAY, 1, true, true, nullptr},
        {LF_BLOCK_TEST, 1, true, true, load_block_test},
        {LF_READ_CONFIG, 1, true, true, read_configuration_flow},
        {LF_WRITE_CONFIG, 4, true, true, write_configuration_flow},
        {LF_HASS_CONFIG, 1, true, true, write_configuration_flow},
        {LF_NO_GAMMA_CONFIG, 4, true, true, write_configuration_flow},
        {LF_DOWNLOAD_RECORDING, 1, true, true, refuse_download},
        {LF_DOWNLOAD_RECORDING, 4, true, true, download_recordings},
        {LF_ERASE_RECORDING, 4, true, true, erase_recordings},
        {LF_ERASE_RECORDING, 1, true, true, nullptr},
    };
    attach_unit();
    use_stand_ins();
    earlier_image_read();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.function) + " on generation " + std::to_string(c.generation) +
                     (c.p_table_valid ? ", P table" : "") + (c.port_found ? ", port found" : ""));
        g_ran = {};
        pages_reset();
        unit_seen(c.generation, c.p_table_valid, c.port_found);
        set_handed_function(c.function);
        // The stand-ins do not end the page: it waits for the technician.
        script_page(TRANSFER_PAGE, {tech::wait(1500), tech::hover(), tech::escape()});
        EXPECT_EQ(DoTransfer(), 0);
        const std::vector<TransferProcedure> expected =
            c.runs ? std::vector<TransferProcedure>{c.runs} : std::vector<TransferProcedure>{};
        EXPECT_EQ(g_ran.procedures, expected);
        EXPECT_EQ(page_control(TRANSFER_PAGE, ID_STATUS_BOX).text, "Communications ready\r\n");
        EXPECT_EQ(current_cursor(), Cursor::arrow) << "the procedure is over";
        EXPECT_FALSE(sim_port_is_open()) << "Escape closes the link";
    }
}

TEST_F(TransferPage, WithoutTheLinkTheProgramQuits) {
    attach_unit();
    unit_seen(4, true, true);
    g_link.port_found = false;
    script_expect_box("Could not open USB port", "Quitting");
    set_handed_function(LF_READ_CONFIG);
    EXPECT_EQ(DoTransfer(), 0);
    EXPECT_NE(log_text().find("... DoTransfer()\nCould not open USB port\n"), std::string::npos) << log_text();
}

TEST_F(TransferPage, EarlierTerrainLoadSendsItsDataOnlyAfterACompletedHeader) {
    struct Case {
        int header_result;
        int data_result;
        std::vector<TransferProcedure> runs;
        LoaderFunction left;
    };
    const Case cases[] = {
        {0, 0, {load_terrain_serial_header, load_terrain_serial_data}, LF_TERRAIN_DATA},
        {0, 1, {load_terrain_serial_header, load_terrain_serial_data}, LF_TERRAIN},
        {1, 0, {load_terrain_serial_header}, LF_TERRAIN},
    };
    attach_unit();
    use_stand_ins();
    for (const Case& c : cases) {
        SCOPED_TRACE("header " + std::to_string(c.header_result) + ", data " + std::to_string(c.data_result));
        g_ran = {};
        g_ran.results = {{load_terrain_serial_header, c.header_result}, {load_terrain_serial_data, c.data_result}};
        unit_seen(1, true, true);
        set_handed_function(LF_TERRAIN);
        script_page(TRANSFER_PAGE, {tech::wait(1500), tech::escape()});
        DoTransfer();
        EXPECT_EQ(g_ran.procedures, c.runs);
        EXPECT_EQ(handed_function(), c.left);
    }
}

// The earlier-generation writers put their bytes into the staging stream; on
// that link the stream is the port, so what they write reaches the unit, and
// it is closed again when the procedure is over.
bool g_staging_was_open = false;
int sends_a_baud_command(Page) {
    g_staging_was_open = staging_is_open();
    return send_baud_command(57600) == BaudCommand::sent ? 0 : 1;
}

TEST_F(TransferPage, EarlierGenerationProceduresWriteThroughThePort) {
    struct Case {
        int generation;
        LoaderFunction function;
        TransferProcedure procedure;
        bool through_port;
    };
    const Case cases[] = {{1, LF_AIRPORT, load_airport_serial, true}, {4, LF_BLOCK_TEST, load_block_test, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        pages_reset();
        SimConfig config;
        config.generation = c.generation;
        SimUnit& sim = attach_unit(config);
        replace_procedures({{c.procedure, sends_a_baud_command}});
        unit_seen(c.generation, true, true);
        set_handed_function(c.function);
        script_page(TRANSFER_PAGE, {tech::wait(1500), tech::escape()});
        DoTransfer();
        EXPECT_EQ(g_staging_was_open, c.through_port);
        EXPECT_EQ(sim.transcript_text().find("> BR 57600") != std::string::npos, c.through_port)
            << sim.transcript_text();
        EXPECT_FALSE(staging_is_open());
    }
}

// A reply the procedure cannot go on with: the unit's words, then the
// question; the answer ends the page and the port is closed.
struct ReplyCase {
    const char* reply;
    int read_result;
    const char* box;  // nullptr: accepted, nothing asked
    int answer;
    int page_result;
    const char* shown;
};
const ReplyCase* g_reply_case = nullptr;
int judges_a_reply(Page page) {
    return reply_accepted(page, g_reply_case->reply, g_reply_case->read_result, "OK", "Refused\nTry again?") ? 0 : 1;
}

TEST_F(TransferPage, TheTechnicianIsAskedAfterAReplyTheProcedureCannotTake) {
    const ReplyCase cases[] = {
        {"OK", 2, nullptr, 0, RESULT_QUIT, "Communications ready\r\n"},
        {"NO: busy", 8, "Refused\nTry again?", BOX_YES, RESULT_BACK, "Unit sent 'NO: busy'\r\n"},
        {"OK: Ready for commands.", 23, "Refused\nTry again?", BOX_NO, RESULT_QUIT,
         "Unit sent 'OK: Ready for commands.'\r\nThe unit has restarted: what it was sent before is lost\r\n"},
        {"", -1, "Operation timed out\nTry again?", BOX_YES, RESULT_BACK, "Communications ready\r\n"},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.reply);
        pages_reset();
        attach_unit();
        replace_procedures({{load_block_test, judges_a_reply}});
        g_reply_case = &c;
        unit_seen(4, true, true);
        set_handed_function(LF_BLOCK_TEST);
        if (c.box)
            script_expect_box(c.box, "Error", c.answer);
        else
            script_page(TRANSFER_PAGE, {tech::wait(1500), tech::check([] { EXPECT_TRUE(sim_port_is_open()); }),
                                        tech::escape()});
        EXPECT_EQ(DoTransfer(), c.page_result);
        EXPECT_TRUE(page_control(TRANSFER_PAGE, ID_STATUS_BOX).text.ends_with(c.shown))
            << page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
        EXPECT_FALSE(sim_port_is_open());
    }
}

TEST(EarlierSoftware, SuitsTheUnitByItsHardwareWord) {
    struct Case {
        uint32_t software, unit;
        int generation;
        bool suits;
    };
    const Case cases[] = {
        {0x12345678, 0x12345678, 1, true},
        {0xFF0F0034, 0xFFFFFFFF, 1, true},   // bytes 34 00 0F FF against an unprogrammed unit
        {0xFF0F0034, 0xFFFFFFFF, 2, false},  // only on the first generation
        {0x00300034, 0x00200034, 1, true},   // the unit's revision is not newer
        {0x00200034, 0x00300034, 1, false},  // the unit is newer than the software
        {0x00300034, 0x00300035, 1, false},  // another board
    };
    for (const Case& c : cases)
        EXPECT_EQ(software_suits_unit(c.software, c.unit, c.generation), c.suits)
            << std::hex << c.software << " on " << c.unit << " generation " << c.generation;
}

TEST_F(TransferPage, EscapeDuringAConfigurationReadQuitsAndKeepsTheBackup) {
    SimConfig config;
    config.parameters.clear();
    for (int i = 0; i < 160; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Item%03d 0x%08X", i, static_cast<unsigned>(i * 7));
        config.parameters.push_back(line);
    }
    SimUnit& sim = attach_unit(config);
    const std::string backup = "Kept 0x00000001\nAlso kept 0x00000002\n";
    std::filesystem::create_directories(dir.file("Parameter Files"));
    dir.write("Parameter Files/backup.dat", backup);

    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                             tech::click(ID_SETUP_NEXT)});
    script_page(TRANSFER_PAGE, {tech::escape().when_progress_passes(ID_PROGRESS, 300)});
    run_wizard(std::time(nullptr));

    ASSERT_EQ(page_runs().back().template_id, TRANSFER_PAGE);
    EXPECT_EQ(page_runs().back().result, 0) << "Escape quits the program";
    const std::string transcript = sim.transcript_text();
    EXPECT_NE(transcript.find("> STARTF", transcript.rfind("> RP")), std::string::npos)
        << "the unit stopped at start runs again after the abandoned read\n"
        << transcript;
    const int position = page_control(TRANSFER_PAGE, ID_PROGRESS).position;
    EXPECT_GT(position, 300);
    EXPECT_LT(position, 400) << "the read stopped at the next line";
    EXPECT_EQ(read_whole_file(dir.file("Parameter Files/backup.dat")), backup);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Parameter Files/backup.dat.part")));
    EXPECT_FALSE(has(page_control(TRANSFER_PAGE, ID_STATUS_BOX).text, "Done reading configuration"));
}
