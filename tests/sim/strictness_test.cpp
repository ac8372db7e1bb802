// What the unit refuses or loses, each recorded as an anomaly, and a
// conversation done right that records none.
#include <gtest/gtest.h>

#include "formats/byte_order.h"
#include "sim/wire.h"

namespace {
using Anomalies = std::vector<std::string>;

Bytes sample_body(std::size_t size) {
    Bytes body(size);
    for (std::size_t i = 0; i < size; ++i) body[i] = uint8_t(i * 7 + 0x10);
    return body;
}

// The unit's anomalies, each cut to its first `n` characters.
Anomalies anomalies_cut(const SimUnit& unit, std::size_t n) {
    Anomalies out;
    for (const std::string& a : unit.anomalies()) out.push_back(a.substr(0, n));
    return out;
}
}  // namespace

TEST(SimStrictness, ACleanConversationRecordsNoAnomaly) {
    SimConfig config;
    config.recordings = {Bytes(300, 0x10)};
    config.packet_size = 200;
    SimLink link(config);
    link.send(can_burst());
    for (const char* table : {"QP\r", "QT\r", "QB\r", "QN\r", "QY\r"}) link.send(table);
    link.send("STOPF\r");
    link.send("DF\r");
    link.send("RP\r\n");
    link.send("WP\r\nAudio Volume 0x00000007\r\n\r\n");
    link.text_after(100);

    Bytes body = sample_body(20000);
    EXPECT_EQ(link.load(control_block(2, body, "a424_database.bin"), body), "OK\r\nOK\r\nOK\r\n");

    link.send("RC\r\n");
    link.send("H 0\r\n");
    Bytes wire = link.read_after(100);
    link.send("OK 00000200\r");
    link.read_after(100);
    link.send("OK 00000300\r");
    link.read_after(100);
    link.send("OK end\r");
    link.send("ER\r\n");
    link.send("RESET 1\r");
    link.text_after(100);

    EXPECT_EQ(link.unit.anomalies(), Anomalies{}) << link.unit.transcript_text();
    EXPECT_EQ(link.unit.parameters()[0], "Audio Volume 0x00000007");
    EXPECT_TRUE(link.noted("recording 0 sent"));
    EXPECT_TRUE(link.noted("restarting in mode 1"));
}

TEST(SimStrictness, LinesOfTheWrongFormAreRefused) {
    struct Case {
        const char* sent;
        const char* replies;
        const char* anomaly;
    } cases[] = {
        {"DF\n", "NO: line ended by LF alone\r\n", "line ended by LF alone"},
        {"DF\r\n", "OK : 00010000 00000000 00001000\r\nNO: line ended by LF alone\r\n", "line ended by LF alone"},
        {"RP\r", "NO: line ended by CR alone, CR LF expected\r\n", "line ended by CR alone, CR LF expected"},
        {"RC\rDF\r", "NO: line ended by CR alone, CR LF expected\r\nOK : 00010000 00000000 00001000\r\n",
         "line ended by CR alone, CR LF expected"},
        {"D\x01" "F\r", "NO: control byte 0x01 inside a line\r\n", "control byte 0x01 inside a line"},
        {"DF\x18\x18\r", "NO: CAN bytes inside a line\r\n", "CAN bytes inside a line"},
        {" DF\r", "NO: line begins with a space\r\n", "line begins with a space"},
        {"DF 1\r", "NO: \"DF\" takes no argument\r\n", "\"DF\" takes no argument"},
        {"ER all\r\n", "NO: \"ER\" takes no argument\r\n", "\"ER\" takes no argument"},
        {"QP \r", "NO: \"QP\" takes no argument\r\n", "\"QP\" takes no argument"},
        {"RESET\r", "NO: RESET without a valid mode\r\n", "RESET without a valid mode"},
        {"RESET 3\r", "NO: RESET without a valid mode\r\n", "RESET without a valid mode"},
        {"RESET x\r", "NO: RESET without a valid mode\r\n", "RESET without a valid mode"},
        {"ZH 100\r", "NO: unknown command \"ZH\"\r\n", "unknown command \"ZH\""},
    };
    for (const Case& c : cases) {
        SimLink link;
        link.send(c.sent);
        EXPECT_EQ(link.text_after(200), c.replies) << c.sent;
        EXPECT_EQ(link.unit.anomalies(), Anomalies{c.anomaly}) << c.sent;
    }
}

TEST(SimStrictness, ControlBlocksOutOfPlaceOrOfTheWrongKindAreRefused) {
    Bytes body = sample_body(100);
    struct Case {
        const char* what;
        const char* mode;
        uint32_t image_type;
        uint32_t address;
        bool waits_for_ok;
        const char* anomaly;
    } cases[] = {
        {"before the OK was read", "P\r", 1, 0, false, "control block before the mode's OK was read"},
        {"at another address", "P\r", 1, 0x100, true, "control block at address 0x00000100, not 0"},
        {"a program in the airport mode", "M\r", 1, 0, true, "image type 1 in load mode M"},
        {"a kernel in the terrain mode", "T\r", 3, 0, true, "image type 3 in load mode T"},
        {"an unknown image type", "P\r", 6, 0, true, "image type 6 in load mode P"},
    };
    for (const Case& c : cases) {
        SimLink link;
        link.send(c.mode);
        std::string replies = c.waits_for_ok ? link.text_after(1000) : "";
        link.send(framed_block('C', control_block(c.image_type, body, "x"), c.address, true));
        replies += link.text_after(1000);
        EXPECT_EQ(replies, std::string("OK\r\nERR: ") + c.anomaly + "\r\n") << c.what;
        EXPECT_EQ(link.unit.anomalies(), Anomalies{c.anomaly}) << c.what;
        EXPECT_FALSE(link.unit.loads().at(0).accepted) << c.what;
    }
}

TEST(SimStrictness, BytesPastTheAnnouncedBodyFailTheLoad) {
    Bytes body = sample_body(3000);
    Bytes longer = body;
    longer.resize(3005, 0x41);
    SimLink link;
    EXPECT_EQ(link.load(control_block(1, body, "0x3400"), longer), "OK\r\nOK\r\nERR: 5 bytes past the announced body length\r\n");
    EXPECT_EQ(link.unit.anomalies(), Anomalies{"5 bytes past the announced body length"});
    EXPECT_FALSE(link.unit.loads().at(0).accepted);

    SimLink blocks;
    blocks.send("P\r");
    std::string replies = blocks.text_after(1000);
    blocks.send(framed_block('C', control_block(3, Bytes(body.begin(), body.begin() + 100), "kernel"), 0, true));
    blocks.send(framed_block('D', Bytes(body.begin(), body.begin() + 120), 0, false));
    blocks.send("BR 115200\r");
    replies += blocks.text_after(1000);
    EXPECT_EQ(replies, "OK\r\nOK\r\nERR: data block past the announced body length\r\n");

    SimLink next_command;
    EXPECT_EQ(next_command.load(control_block(1, body, "0x3400"), body), "OK\r\nOK\r\nOK\r\n");
    next_command.send("RESET 0\r");
    next_command.text_after(100);
    EXPECT_EQ(next_command.unit.anomalies(), Anomalies{}) << "a command after the verdict is no part of the body";
}

TEST(SimStrictness, BytesSentWhileTheUnitHoldsTheSenderAreLost) {
    SimConfig config;
    config.pacing = {1000, 100, 2, 200};
    SimLink link(config);
    Bytes body = sample_body(2500);
    Bytes block = framed_block('C', control_block(1, body, "0x3400"), 0, true);
    link.send("P\r");
    link.text_after(1000);
    link.send(block);
    EXPECT_EQ(link.text_after(1000), "OK\r\n");

    // Every load byte counts towards the pause, the control block's too.
    const long to_nak = 1000 - long(block.size());
    link.send(Bytes(body.begin(), body.begin() + to_nak));
    EXPECT_EQ(link.read_after(0), (Bytes{0x15}));
    // The first 200 bytes after the NAK still find room in the unit's buffer.
    link.send(Bytes(body.begin() + to_nak, body.begin() + to_nak + 300));
    EXPECT_EQ(link.unit.anomalies(), Anomalies{"100 bytes lost: they came while the unit held the sender"});
    EXPECT_EQ(link.read_after(60), (Bytes{0x15}));
    EXPECT_EQ(link.read_after(40), (Bytes{0x06}));
    link.send(Bytes(body.begin() + to_nak + 300, body.end()));
    EXPECT_EQ(link.text_after(200), "\x15\x15\x06" "ERR: load checksum mismatch\r\n");
    EXPECT_FALSE(link.unit.loads().at(0).accepted);
}

TEST(SimStrictness, ParameterLinesMustBeANameAndAValue) {
    for (const char* bad : {"Audio Volume 0x0000000G", "Audio/Volume 0x00000001", "Audio Volume 0X00000001", "abc",
                            "0x00000001"}) {
        SimLink link;
        link.send(std::string("WP\r\nDisplay Brightness 0x00000041\r\n") + bad + "\r\n\r\n");
        EXPECT_EQ(link.text_after(100), "NO: parameters refused, none stored\r\n") << bad;
        EXPECT_EQ(anomalies_cut(link.unit, 16), Anomalies{"parameter line \""}) << bad;
        EXPECT_EQ(link.unit.parameters(), SimConfig::default_parameters()) << bad;
    }
    SimLink lf_alone;
    lf_alone.send("WP\r\nDisplay Brightness 0x00000041\n\r\n");
    EXPECT_EQ(lf_alone.text_after(100), "NO: line ended by LF alone\r\nNO: parameters refused, none stored\r\n");
    EXPECT_EQ(lf_alone.unit.parameters(), SimConfig::default_parameters());
}

TEST(SimStrictness, AWrongRunningCountEndsTheRecordingTransfer) {
    SimConfig config;
    config.recordings = {Bytes(1000, 0x42)};
    config.packet_size = 400;
    for (const char* count : {"OK 00000399\r", "OK 400\r", "OK 0000040x\r"}) {
        SimLink link(config);
        link.send("H 0\r\n");
        link.read_after(100);
        link.send(count);
        std::string reply = link.text_after(100);
        EXPECT_EQ(reply.substr(0, 20), "NO: uploader counts ") << count;
        EXPECT_EQ(reply.find('\x10'), std::string::npos) << count << ": no further packet";
        EXPECT_EQ(anomalies_cut(link.unit, 16), Anomalies{"uploader counts "}) << count;
    }
}
