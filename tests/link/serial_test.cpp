// The port, bytes in and out, flow control, framed blocks and packets, against
// the simulated unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fixtures/bytes.h"
#include "formats/crc.h"
#include "formats/image.h"
#include "link/commands.h"
#include "link/link_fixture.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "link/staging.h"
#include "platform/clock.h"
#include "support/fixtures/load_image_builder.h"
#include "support/sim_port.h"
#include "support/temp_dir.h"

namespace {
std::string reply_text() {
    return std::string(reinterpret_cast<const char*>(g_link.block_reply.data()), g_link.block_reply_fill);
}

// A body with plenty of DLE bytes, so that stuffing matters.
std::string body_with_dles(std::size_t size) {
    std::string body = filler_bytes(size, 7);
    for (std::size_t i = 0; i < size; i += 37) body[i] = char(DLE);
    return body;
}

// The unit's framing of one packet, each DLE of payload and check doubled.
std::string packet_bytes(char type, const std::string& payload) {
    std::string header(10, '\0');
    set_be32(header, 0, uint32_t(payload.size()));
    uint32_t reg;
    crc_begin(reg);
    crc_add_byte(reg, DLE);
    crc_add_byte(reg, uint8_t(type));
    crc_add_bytes(reg, header.data(), 6);
    set_be32(header, 6, reg);
    std::string check(4, '\0');
    set_be32(check, 0, crc_register_of(payload));
    std::string out = std::string(1, char(DLE)) + type + header;
    for (char c : payload + check) {
        out += c;
        if (uint8_t(c) == DLE) out += c;
    }
    return out;
}

class SerialTest : public LinkTest {
protected:
    // Starts a load of `type` for `body`: mode command, its reply, control block.
    void start_load(uint32_t type, const std::string& body) {
        const std::string block = control_block_for(type, body);
        ASSERT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    }
};
}  // namespace

TEST_F(SerialTest, OpenNeedsAFoundPortAndGivesUpAfterSixAttempts) {
    attach();
    g_link.port_found = false;
    EXPECT_FALSE(unit_open_port());
    EXPECT_FALSE(sim_port_is_open());

    g_link.port_found = true;
    g_link.port_name = "no such device";
    const uint64_t start = now_ms();
    EXPECT_FALSE(unit_open_port());
    EXPECT_EQ(now_ms() - start, 5 * 500u);

    g_link.port_name = "sim";
    EXPECT_TRUE(unit_open_port());
    EXPECT_TRUE(unit_close_port());
    EXPECT_FALSE(unit_close_port());
}

TEST_F(SerialTest, BytesLeftFromAnEarlierConversationAreNotAReply) {
    replying("XYZ");
    EXPECT_EQ(unit_get_byte(), 'X');
    unit_close_port();
    ASSERT_TRUE(unit_open_port());
    EXPECT_EQ(unit_get_byte_within(0), -1);
}

TEST_F(SerialTest, GetByteWaitsForItsBoundOnly) {
    EXPECT_EQ(unit_get_byte(), -1) << "port not open";
    SimConfig silent;
    silent.faults.silent = true;
    open(silent);
    const uint64_t start = now_ms();
    EXPECT_EQ(unit_get_byte(), -1);
    EXPECT_EQ(now_ms() - start, byte_wait_limit_ms);
}

TEST_F(SerialTest, ByteWaitKeepsTheWindowAnsweringAndEndsWhenAPageHandlerEndsTheConversation) {
    struct Case {
        const char* name;
        void (*handler)();  // run by a yield 300 ms into the wait
        uint64_t takes_ms;
    };
    const std::vector<Case> cases = {
        {"nothing happens", nullptr, byte_wait_limit_ms},
        {"the page closes the port", [] { unit_close_port(); }, 300},
        {"the technician cancels", [] { g_commands.abort_requested = true; }, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_command_state();
        SimConfig silent;
        silent.faults.silent = true;
        open(silent);
        const uint64_t start = now_ms();
        watch_window_gaps([&c, start] {
            if (c.handler && now_ms() - start >= 300) c.handler();
        });
        EXPECT_EQ(unit_get_byte(), -1);
        EXPECT_GE(now_ms() - start, c.takes_ms);
        EXPECT_LE(now_ms() - start, c.takes_ms + window_slice_ms);
        EXPECT_LE(longest_window_gap(), window_slice_ms);
    }
}

TEST_F(SerialTest, WritesReportWhetherTheBytesWent) {
    EXPECT_FALSE(unit_put_byte('\r')) << "port not open";
    EXPECT_FALSE(unit_send_command("QP\r"));
    EXPECT_FALSE(write_multi_byte("\r", 1));
    open();
    EXPECT_TRUE(unit_put_byte('\r'));
    EXPECT_TRUE(unit_send_command("QP\r"));
    EXPECT_TRUE(write_multi_byte("\r", 1));
    pull_cable();
    EXPECT_FALSE(unit_put_byte('\r')) << "cable pulled";
    EXPECT_FALSE(unit_send_command("QP\r"));
    EXPECT_FALSE(write_multi_byte("\r", 1));
}

TEST_F(SerialTest, AWriteWhoseFlushFailsIsAFailedWrite) {
    open();
    sim_port_fail_flushes(true);
    EXPECT_FALSE(unit_put_byte('\r')) << "the byte never left the driver";
    EXPECT_FALSE(unit_port_usable()) << "the port counts as failed until it is opened again";
    open();
    sim_port_fail_flushes(true);
    EXPECT_FALSE(write_multi_byte("QP\r", 3));
}

TEST_F(SerialTest, WhatTheUnitSendsDuringABlockIsCollectedAndJudged) {
    struct Case {
        const char* name;
        std::string unit_sends;
        bool written;
        std::string kept;
        bool no_error;
        uint64_t at_most_ms;
    };
    const std::vector<Case> cases = {
        {"plain text", "OK", true, "OK", true, 0},
        {"NAK and ACK after a zero byte in one read", std::string("\x15" "ab\0c" "\x06", 6), true, std::string("ab\0c", 4), true, 0},
        {"error text", "xERRx", true, "xERRx", false, 0},
        {"error text after a zero byte is not read", std::string("ok\0ERR", 6), true, std::string("ok\0ERR", 6), true, 0},
        {"NAK without ACK", "\x15" "busy", false, "busy", true, ack_wait_limit_ms + 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        replying(c.unit_sends);
        const uint64_t start = now_ms();
        EXPECT_EQ(write_multi_byte("\r", 1), c.written);
        EXPECT_LE(now_ms() - start, c.at_most_ms);
        EXPECT_EQ(reply_text(), c.kept);
        EXPECT_EQ(reply_has_no_error(), c.no_error);
    }
}

TEST_F(SerialTest, BusyUnitPausesTheBodyUntilItsAck) {
    struct Case {
        uint32_t naks_per_pause;
        uint32_t busy_ms;
    };
    for (const Case c : {Case{1, 300}, Case{5, 2000}}) {
        SimConfig config;
        config.pacing.nak_every = 1000;
        config.pacing.busy_ms = c.busy_ms;
        config.pacing.naks_per_pause = c.naks_per_pause;
        open(config);
        const std::string body = filler_bytes(20000, 3);
        start_load(IMAGE_SYSTEM_PROGRAM, body);
        const uint64_t start = now_ms();
        EXPECT_TRUE(write_multi_byte(body.data(), body.size()));
        const int pauses = transcript_count("<ACK>");
        EXPECT_GE(pauses, 3);
        EXPECT_GE(now_ms() - start, pauses * uint64_t(c.busy_ms));
        ASSERT_EQ(unit->loads().size(), 1u);
        EXPECT_TRUE(unit->loads()[0].accepted) << unit->loads()[0].verdict;
        EXPECT_EQ(reply_text().find_first_of("\x15\x06"), std::string::npos);
    }
}

// The unit NAKs, then sends NAK after NAK for a minute before its ACK.
TEST_F(SerialTest, ChatteringBusyUnitHoldsTheSenderTwentySecondsFromItsNakAtMost) {
    struct Case {
        const char* name;
        uint64_t cancel_after_ms;  // 0: never
        uint64_t takes_ms;
    };
    const std::vector<Case> cases = {
        {"left alone", 0, ack_wait_limit_ms},
        {"the technician cancels", 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_command_state();
        SimConfig config;
        config.pacing.nak_every = 1000;
        config.pacing.busy_ms = 60000;
        config.pacing.naks_per_pause = 600;
        open(config);
        const std::string body = filler_bytes(2000, 3);
        start_load(IMAGE_SYSTEM_PROGRAM, body);
        const uint64_t start = now_ms();
        watch_window_gaps([&c, start] {
            if (c.cancel_after_ms && now_ms() - start >= c.cancel_after_ms) g_commands.abort_requested = true;
        });
        EXPECT_FALSE(write_multi_byte(body.data(), body.size()));
        EXPECT_GE(now_ms() - start, c.takes_ms);
        EXPECT_LE(now_ms() - start, c.takes_ms + 100);
        EXPECT_LE(longest_window_gap(), window_slice_ms);
    }
}

TEST_F(SerialTest, FramedBlocksReachTheUnitIntact) {
    open();
    const std::string body = body_with_dles(2500);
    std::string block = control_block_for(IMAGE_OS, body);
    block[8] = char(DLE);  // a DLE in the control block itself
    reseal_control_block(block);
    ASSERT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    for (uint32_t sent = 0; sent < body.size(); sent += 1024) {
        const std::string piece = body.substr(sent, 1024);
        EXPECT_EQ(send_block('D', piece.data(), piece.size(), sent), BlockEnd::sent);
    }
    // The staged baud command ends the image; the unit answers while it is written.
    EXPECT_TRUE(write_multi_byte("BR 115200\r", 10));
    EXPECT_TRUE(transcript_has("D block 452 bytes at 0x00000800")) << unit->transcript_text();
    ASSERT_EQ(unit->loads().size(), 1u);
    EXPECT_TRUE(unit->loads()[0].accepted) << unit->loads()[0].verdict;
    EXPECT_EQ(std::string(unit->loads()[0].data.begin(), unit->loads()[0].data.end()), body);
    // Only the reply to the last write is kept.
    EXPECT_EQ(reply_text(), "OK\r\n");
}

// The unit has no room at all after its NAK: any byte that goes before the ACK
// is lost and fails the image's check.
TEST_F(SerialTest, ANakInTheMiddleOfADataBlockStopsTheVeryNextByte) {
    SimConfig config;
    config.pacing = {700, 100, 1, 0};
    open(config);
    const std::string body = body_with_dles(2500);
    start_load(IMAGE_OS, body);
    const uint64_t start = now_ms();
    for (uint32_t sent = 0; sent < body.size(); sent += 1024) {
        const std::string piece = body.substr(sent, 1024);
        EXPECT_EQ(send_block('D', piece.data(), piece.size(), sent), BlockEnd::sent);
    }
    EXPECT_TRUE(write_multi_byte("BR 115200\r", 10));
    const int pauses = transcript_count("<ACK>");
    EXPECT_GE(pauses, 3);
    EXPECT_GE(now_ms() - start, pauses * uint64_t(config.pacing.busy_ms));
    ASSERT_EQ(unit->loads().size(), 1u);
    EXPECT_TRUE(unit->loads()[0].accepted) << unit->loads()[0].verdict;
}

TEST_F(SerialTest, MarkersLimitsAndAClosedPort) {
    const std::string big(65536, 'x');
    EXPECT_EQ(send_block('D', "x", 1, 0), BlockEnd::port_not_open);
    open();
    EXPECT_EQ(send_block('D', big.data(), big.size(), 0), BlockEnd::too_long);
    EXPECT_EQ(send_block_serial('D', big.data(), 4097, 0), BlockEnd::too_long);
    EXPECT_TRUE(unit_send_command("P\r"));
    // The marker stands where the unit waits for its control block.
    sim_port_expect_anomaly("a control block was expected");
    EXPECT_EQ(send_block('E', big.data(), big.size(), 0), BlockEnd::sent);
    EXPECT_TRUE(transcript_has("marker E")) << unit->transcript_text();
}

TEST_F(SerialTest, PulledCableFailsTheBodyAndTheBlockAtOnce) {
    const std::string body = filler_bytes(50000, 4);
    const std::string block = control_block_for(IMAGE_SYSTEM_PROGRAM, body);
    // "P\r", then the framed control block (its DLEs doubled), then 20000 body bytes.
    SimConfig config;
    config.faults.cable_pulled_after = long(2 + 2 + 10 + 256 + std::count(block.begin(), block.end(), char(DLE)) + 4 + 20000);
    open(config);
    start_load(IMAGE_SYSTEM_PROGRAM, body);
    const uint64_t start = now_ms();
    EXPECT_FALSE(write_multi_byte(body.data(), body.size()));
    EXPECT_FALSE(unit_port_usable());
    EXPECT_LT(now_ms() - start, 100u);

    open();
    const std::string data_body = body_with_dles(1024);
    start_load(IMAGE_OS, data_body);
    pull_cable();
    EXPECT_EQ(send_block('D', data_body.data(), data_body.size(), 0), BlockEnd::write_failed);
}

TEST_F(SerialTest, EarlierGenerationBlocksGoToTheStagingFileOrThePort) {
    TempDir dir;
    const std::string payload = body_with_dles(300);
    SimConfig earlier;
    earlier.generation = 1;
    open(earlier);

    ASSERT_TRUE(staging_open_file(dir.file("temp.dat")));
    EXPECT_EQ(send_block_serial('D', payload.data(), payload.size(), 256), BlockEnd::sent);
    staging_close();
    const std::string staged = read_whole_file(dir.file("temp.dat"));
    EXPECT_EQ(staged.substr(0, 2), std::string("\x10" "D"));
    EXPECT_EQ(be32_at(staged, 4), 256u);
    const auto dles = std::count(payload.begin(), payload.end(), char(DLE));
    EXPECT_EQ(staged.size(), 2 + 10 + payload.size() + std::size_t(dles) + 4);

    EXPECT_TRUE(unit_send_command("M\r"));
    staging_open_port();
    const std::string block = control_block_for(IMAGE_DATABASE, payload);
    std::string control = block;
    // Relocated to the unit's airport base, for the 300 data bytes.
    set_be32(control, 0, 0x00100100);
    set_be32(control, 244, uint32_t(payload.size()));
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, control.data(), 252);
    set_be32(control, 252, reg);
    EXPECT_EQ(send_block_serial('C', control.data(), 256, 0), BlockEnd::sent);
    EXPECT_EQ(send_block_serial('D', payload.data(), payload.size(), 256), BlockEnd::sent);
    char line[256];
    EXPECT_EQ(unit_read_line(line, sizeof line, 2050), 2);
    EXPECT_STREQ(line, "OK");
    staging_close();
    EXPECT_TRUE(transcript_has("D block 300 bytes at 0x00000100")) << unit->transcript_text();
}

TEST_F(SerialTest, RecordingArrivesInPiecesAcrossTheCallersLimit) {
    SimConfig config;
    config.recordings = {[] {
        std::string r = body_with_dles(6000);
        return std::vector<uint8_t>(r.begin(), r.end());
    }()};
    config.packet_size = 4096;
    open(config);
    EXPECT_TRUE(unit_send_command("H 0\r\n"));
    char line[256];
    ASSERT_GE(unit_read_line(line, sizeof line, 5000), 0);
    ASSERT_STREQ(line, "OK");

    std::vector<uint8_t> received;
    std::vector<int> results;
    std::vector<uint64_t> totals;
    for (int packet = 0; packet < 3; ++packet) {
        for (int call = 0;; ++call) {
            uint8_t buffer[1000];
            uint32_t count = 0;
            uint64_t total = 0;
            const int type = read_htaws_packet(buffer, total, count, sizeof buffer, call);
            results.push_back(type);
            if (call == 0) totals.push_back(total);
            received.insert(received.end(), buffer, buffer + count);
            if (type < 0 || count == 0) break;
        }
        if (results.back() != 'D') break;
        EXPECT_TRUE(unit_send_command("OK %08lu\r", static_cast<unsigned long>(received.size())));
    }
    EXPECT_EQ(received, config.recordings[0]);
    EXPECT_EQ(totals, (std::vector<uint64_t>{4100, 1908, 4}));
    // 4096 bytes: four full pieces, the last 96 with the check, then an empty call.
    EXPECT_EQ(std::vector<int>(results.begin(), results.begin() + 6), std::vector<int>(6, 'D'));
    EXPECT_EQ(results.back(), 'X');
}

TEST_F(SerialTest, PacketFaultsGiveTheirCodes) {
    const std::string good = packet_bytes('D', "abc\x10" "def");
    std::string bad_header = good;
    bad_header[11] ^= 1;
    std::string single_dle = good;
    single_dle.replace(12, 1, "\x10" "A");
    std::string bad_check = good;
    bad_check[bad_check.size() - 1] ^= 1;
    struct Case {
        const char* name;
        std::string unit_sends;
        int result;
        uint64_t takes_ms;
    };
    const std::vector<Case> cases = {
        {"noise before the start", "xy" + good, 'D', 0},
        {"DLE DLE is not a start", "\x10\x10" + good, 'D', 0},
        {"end packet", packet_bytes('X', ""), 'X', 0},
        {"single DLE in the payload", single_dle, PACKET_FRAMING, 0},
        {"header check", bad_header, PACKET_HEADER_CHECK, 0},
        {"payload check", bad_check, PACKET_PAYLOAD_CHECK, 0},
        {"unknown type", "\x10Q" + good.substr(2), PACKET_BAD_TYPE, 0},
        {"no start", "no packet here", PACKET_NO_START, packet_start_limit_ms},
        {"no type byte", "\x10", PACKET_FRAMING, byte_wait_limit_ms},
        {"short header", good.substr(0, 8), PACKET_HEADER_READ, byte_wait_limit_ms},
        {"short payload", good.substr(0, 15), PACKET_PAYLOAD_READ, byte_wait_limit_ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        replying(c.unit_sends);
        uint8_t buffer[64];
        uint32_t count = 0;
        uint64_t total = 0;
        const uint64_t start = now_ms();
        EXPECT_EQ(read_htaws_packet(buffer, total, count, sizeof buffer, 0), c.result);
        EXPECT_EQ(now_ms() - start, c.takes_ms);
        if (c.result == 'D') {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), "abc\x10" "def");
        }
    }
}

TEST_F(SerialTest, PacketEndsWithinItsBoundWhenTheUnitStopsOrTheCableIsPulled) {
    for (const bool pulled : {true, false}) {
        SCOPED_TRACE(pulled ? "cable pulled" : "unit fell silent");
        // More than one read of the port takes.
        replying(packet_bytes('D', filler_bytes(20000, 5)));
        uint8_t buffer[500];
        uint32_t count = 0;
        uint64_t total = 0;
        ASSERT_EQ(read_htaws_packet(buffer, total, count, sizeof buffer, 0), 'D');
        if (pulled) pull_cable();
        else unit->discard(now_ms());
        const uint64_t start = now_ms();
        int result = 'D';
        for (int call = 1; result == 'D' && call < 40; ++call) {
            count = 0;
            result = read_htaws_packet(buffer, total, count, sizeof buffer, call);
        }
        EXPECT_EQ(result, PACKET_PAYLOAD_READ);
        EXPECT_EQ(now_ms() - start, pulled ? 0 : byte_wait_limit_ms);
    }
}
