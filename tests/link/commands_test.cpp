// Reply lines, judging replies, the load-mode opening and the baud commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/image.h"
#include "link/commands.h"
#include "link/link_fixture.h"
#include "link/serial.h"
#include "link/staging.h"
#include "output/log.h"
#include "platform/clock.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/load_image_builder.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "support/temp_dir.h"

namespace {
class CommandsTest : public LinkTest {
protected:
    std::string read_line(uint32_t limit_ms, int& result) {
        char line[256];
        result = unit_read_line(line, sizeof line, limit_ms);
        return line;
    }
};

// 300 distinct-looking characters without a line end.
std::string long_reply() {
    std::string text;
    for (int i = 0; i < 300; ++i) text += char('A' + i % 26);
    return text;
}
}  // namespace

TEST_F(CommandsTest, ReplyLines) {
    struct Read {
        int result;
        std::string text;
    };
    struct Case {
        const char* name;
        std::string unit_sends;
        uint32_t limit_ms;
        std::vector<Read> reads;
    };
    const std::string long_text = long_reply();
    const std::vector<Case> cases = {
        {"two lines ended by CR LF", "OK\r\nNO\r\n", 500, {{2, "OK"}, {2, "NO"}}},
        {"lines ended by LF alone", "OK\nNO\n", 500, {{2, "OK"}, {2, "NO"}}},
        {"leading white space and control bytes", "\n \t\x01OK then\r", 500, {{7, "OK then"}}},
        {"an empty line", "\r\nOK\r\n", 500, {{0, ""}, {2, "OK"}}},
        {"300 characters without a line end", long_text, 500,
         {{254, long_text.substr(0, 254)}, {45, long_text.substr(255)}}},
        {"nothing within the limit", "", 500, {{-1, ""}}},
        {"limit 0: a line", "  OK\r", 0, {{2, "OK"}}},
        {"limit 0: nothing", "", 0, {{-2, ""}}},
        {"limit 0: white space only", "  ", 0, {{-3, ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        replying(c.unit_sends);
        for (const Read& r : c.reads) {
            int result = 0;
            EXPECT_EQ(read_line(c.limit_ms, result), r.text);
            EXPECT_EQ(result, r.result);
        }
    }
}

TEST_F(CommandsTest, LineReadsEndAtTheirLimitOrAtOnce) {
    SimConfig silent;
    silent.faults.silent = true;
    open(silent);
    int result = 0;
    uint64_t start = now_ms();
    read_line(1234, result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(now_ms() - start, 1234u);

    replying("OK\r\n");
    g_commands.abort_requested = true;
    start = now_ms();
    read_line(5000, result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(now_ms() - start, 0u);

    g_commands.abort_requested = false;
    replying("");
    pull_cable();
    start = now_ms();
    read_line(120000, result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(now_ms() - start, 0u);
}

// The unit sends its reply line one byte every 100 ms: the line ends at the
// caller's limit however long the unit keeps trickling.
TEST_F(CommandsTest, ReplyLineEndsAtItsLimitHoweverTheUnitPacesIt) {
    struct Case {
        uint32_t limit_ms;
        std::size_t length;
    };
    for (const Case c : {Case{500, 6}, Case{2500, 17}}) {
        SCOPED_TRACE(c.limit_ms);
        SimConfig config;
        config.parameters = {"MaxSpeed 0x000001"};
        config.faults.trickle_ms = 100;
        open(config);
        ASSERT_TRUE(unit_send_command("RP\r\n"));
        const uint64_t start = now_ms();
        int result = 0;
        const std::string line = read_line(c.limit_ms, result);
        EXPECT_LE(now_ms() - start, c.limit_ms);
        EXPECT_EQ(result, int(c.length));
        EXPECT_EQ(line, std::string("MaxSpeed 0x000001").substr(0, c.length));
    }
}

// Judging asks nothing and leaves the port open: the procedure asks.
TEST_F(CommandsTest, ReplyVerdicts) {
    struct Case {
        const char* reply;
        int read_result;
        ReplyVerdict verdict;
    };
    const std::vector<Case> cases = {
        {"OK", 2, ReplyVerdict::accepted},
        {"OK: Entering mode", 17, ReplyVerdict::accepted},
        {"ok", 2, ReplyVerdict::refused},
        {"NO: mode refused", 16, ReplyVerdict::refused},
        {"", -1, ReplyVerdict::timed_out},
        {"OK", -1, ReplyVerdict::timed_out},
        {"OK: Ready for commands.", 23, ReplyVerdict::restarted},
    };
    TempDir dir;
    log_open_path(dir.file("Loader.LOG"));
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(judge_reply(c.reply, c.read_result, "OK"), c.verdict);
        EXPECT_TRUE(sim_port_is_open());
    }
    log_close();
    std::string log = read_whole_file(dir.file("Loader.LOG"));
    std::erase(log, '\r');  // text mode on Windows adds its own
    EXPECT_NE(log.find("Unit sent 'OK: Entering mode'\n"), std::string::npos);
    EXPECT_EQ(log.find("Unit sent ''"), std::string::npos) << "a time-out is no reply";
}

TEST_F(CommandsTest, LoadModeOpening) {
    struct Case {
        const char* name;
        int mode;
        SimFaults faults;
        ModeEnd end;
        ReplyVerdict verdict;
        const char* unit_saw;
    };
    SimFaults refused;
    refused.refused_modes = "T";
    SimFaults unanswered;
    unanswered.unanswered = {"M"};
    const std::vector<Case> cases = {
        {"binary transfer", LOAD_BINARY, {}, ModeEnd::ready, ReplyVerdict::accepted, "C block 256 bytes at 0x00000000"},
        {"refused", LOAD_TERRAIN, refused, ModeEnd::not_answered, ReplyVerdict::refused, "T"},
        {"no reply", LOAD_AIRPORT, unanswered, ModeEnd::not_answered, ReplyVerdict::timed_out, "M"},
    };
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimConfig config;
        config.faults = c.faults;
        open(config);
        const ModeOpening opening = enter_load_mode(c.mode, reinterpret_cast<const uint8_t*>(block.data()));
        EXPECT_EQ(opening.end, c.end);
        EXPECT_EQ(opening.verdict, c.verdict);
        EXPECT_TRUE(transcript_has(c.unit_saw)) << unit->transcript_text();
    }
}

// The unit answers the control block at once, while its last byte is still
// being written: the answer is still the next reply line.
TEST_F(CommandsTest, TheAnswerToTheControlBlockIsTheNextLine) {
    open();
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "abc");
    ASSERT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    char line[32];
    EXPECT_EQ(unit_read_line(line, sizeof line, 5000), 2);
    EXPECT_STREQ(line, "OK");
    EXPECT_TRUE(unit_write_all("abc", 3));
}

TEST_F(CommandsTest, ControlBlockFailureReconnectsOrAbandons) {
    SimConfig config;
    config.faults.cable_pulled_after = 2 + 50;  // "P\r" and part of the control block
    open(config);
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "");
    script_expect_box("Control Block write error", "Note", BOX_OK);
    const uint64_t start = now_ms();
    EXPECT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::abandoned);
    EXPECT_TRUE(g_commands.abort_requested);
    // The reopen, then twenty reconnection attempts, each with six opens 500 ms
    // apart, of a port that is gone.
    EXPECT_EQ(now_ms() - start, 1000u + 2500u + 20 * (250u + 2500u + 250u + 500u));
}

// The unit reconnects every time but stays busy on every control block.
TEST_F(CommandsTest, RefusedControlBlockIsGivenUpAfterThreeRounds) {
    SimConfig config;
    config.pacing.nak_every = 1;
    config.pacing.busy_ms = ack_wait_limit_ms + 1000;
    open(config);
    for (int round = 0; round < 3; ++round) script_expect_box("Control Block write error", "Note", BOX_OK);
    // The wake-up of each reconnection reaches a unit still taking the block.
    sim_port_expect_anomaly("header check mismatch");
    const uint64_t start = now_ms();
    // Ends an endless retry, so that the test reports it instead of hanging.
    script_on_yield([start] {
        if (now_ms() - start > 600000) g_commands.abort_requested = true;
    });
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "");
    EXPECT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::abandoned);
    EXPECT_FALSE(g_commands.abort_requested);
    EXPECT_EQ(transcript_count("P"), 3) << unit->transcript_text();
    EXPECT_FALSE(sim_port_is_open());
}

// Bytes with nowhere to go are not sent: the earlier-generation writers fail.
TEST_F(CommandsTest, EarlierGenerationWritersFailWithNoStagingStream) {
    SimConfig earlier;
    earlier.generation = 1;
    open(earlier);
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "");
    const auto* control = reinterpret_cast<const uint8_t*>(block.data());
    EXPECT_EQ(send_block_serial('C', control, 256, 0), BlockEnd::write_failed);
    EXPECT_EQ(send_block_serial('E', control, 0, 0), BlockEnd::write_failed);
    const ModeOpening opening = enter_load_mode_serial(LOAD_BINARY, control);
    EXPECT_EQ(opening.end, ModeEnd::not_answered);
    EXPECT_EQ(opening.verdict, ReplyVerdict::timed_out) << "a mode command not written is asked about as unanswered";
    EXPECT_FALSE(transcript_has("C block 256 bytes at 0x00000000")) << unit->transcript_text();
}

TEST_F(CommandsTest, BaudCommandsGoToTheStagingStreamOnly) {
    TempDir dir;
    open();
    ASSERT_TRUE(staging_open_file(dir.file("temp.dat")));
    EXPECT_EQ(send_baud_command(115200), BaudCommand::sent);
    EXPECT_EQ(send_baud_command(12345), BaudCommand::no_such_rate);
    EXPECT_EQ(send_lower_baud_command(), BaudCommand::sent);
    EXPECT_EQ(g_commands.baud_setting, 115200u) << "the lower rate sent is not the setting";
    EXPECT_EQ(send_lower_baud_command(), BaudCommand::sent);
    g_commands.baud_setting = 9600;
    EXPECT_EQ(send_lower_baud_command(), BaudCommand::no_such_rate);
    g_commands.baud_setting = 4800;
    EXPECT_EQ(send_lower_baud_command(), BaudCommand::no_such_rate);
    staging_close();
    EXPECT_EQ(read_whole_file(dir.file("temp.dat")), "BR 115200\rBR 57600\rBR 57600\r");
    EXPECT_FALSE(transcript_has("BR 115200"));

    EXPECT_EQ(send_baud_command(38400), BaudCommand::not_sent) << "no stream: nowhere to write";
    g_commands.baud_setting = 57600;
    EXPECT_EQ(send_lower_baud_command(), BaudCommand::not_sent);
    staging_open_port();
    EXPECT_EQ(send_baud_command(19200), BaudCommand::sent);
    EXPECT_TRUE(transcript_has("BR 19200")) << unit->transcript_text();
}

TEST_F(CommandsTest, EarlierGenerationOpeningThroughThePort) {
    SimConfig earlier;
    earlier.generation = 1;
    open(earlier);
    std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, "");
    set_be32(block, 8, 1024);  // the image length of an earlier-generation image
    staging_open_port();
    EXPECT_EQ(enter_load_mode_serial(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    EXPECT_STREQ(g_commands.unit_reply.data(), "no response");
    EXPECT_TRUE(transcript_has("P"));
    EXPECT_TRUE(transcript_has("C block 256 bytes at 0x00000000")) << unit->transcript_text();

    open(earlier);
    EXPECT_TRUE(unit_send_command("ZT 400\r\n"));
    char line[256];
    EXPECT_EQ(unit_read_line(line, sizeof line, 2050), 2);
    EXPECT_EQ(enter_load_mode_serial(LOAD_TERRAIN, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    EXPECT_TRUE(transcript_has("T")) << "modes other than system software are sent as commands";
}
