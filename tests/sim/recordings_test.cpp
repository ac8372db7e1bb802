// Recording count, selection, packets with their acknowledgements, erase.
#include <gtest/gtest.h>

#include <cstdio>

#include "sim/wire.h"

namespace {
std::string ack(std::size_t total) {
    char text[16];
    std::snprintf(text, sizeof text, "OK %08zu\r", total);
    return text;
}

// Downloads recording `index` the way the uploader does; stops at the first bad packet.
std::vector<Packet> download(SimLink& link, int index) {
    link.send("H " + std::to_string(index) + "\r\n");
    Bytes wire = link.read_after(100);
    EXPECT_EQ(std::string(wire.begin(), wire.begin() + 4), "OK\r\n");
    wire.erase(wire.begin(), wire.begin() + 4);
    std::vector<Packet> packets;
    std::size_t total = 0;
    Packet p;
    while (take_packet(wire, p)) {
        packets.push_back(p);
        if (!p.header_ok || !p.payload_ok) {
            link.send("NO " + ack(total).substr(3));
            break;
        }
        total += p.payload.size();
        link.send(p.type == 'X' ? std::string("OK end\r") : ack(total));
        Bytes more = link.read_after(50);
        wire.insert(wire.end(), more.begin(), more.end());
    }
    return packets;
}
}  // namespace

TEST(SimRecordings, CountsSendsInPacketsAndErases) {
    SimConfig config;
    config.recordings = {Bytes(300, 0x10), Bytes{}};
    config.packet_size = 128;
    SimLink link(config);
    link.send("RC\r\n");
    EXPECT_EQ(link.text_after(100), "2 recordings OK\r\n");

    std::vector<Packet> packets = download(link, 0);
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[0].payload, Bytes(128, 0x10));
    EXPECT_EQ(packets[2].payload.size(), 44u);
    EXPECT_EQ(packets[3].type, 'X');
    EXPECT_TRUE(link.noted("recording 0 sent"));
    EXPECT_FALSE(link.noted("uploader counts"));

    packets = download(link, 1);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].type, 'X');

    link.send("H 2\r\n");
    EXPECT_EQ(link.text_after(100), "NO: no such recording\r\n");
    link.send("ER\r\n");
    EXPECT_EQ(link.text_after(100), "OK: recordings erased\r\n");
    link.send("RC\r\n");
    EXPECT_EQ(link.text_after(100), "0 recordings OK\r\n");
}

TEST(SimRecordings, CorruptPacketIsReportedBackByTheUploader) {
    SimConfig config;
    config.recordings = {Bytes(1000, 0x42)};
    config.packet_size = 256;
    config.faults.corrupt_packet = 2;
    SimLink link(config);
    std::vector<Packet> packets = download(link, 0);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_TRUE(packets[2].header_ok);
    EXPECT_FALSE(packets[2].payload_ok);
    EXPECT_TRUE(link.noted("recording 0 abandoned"));
    EXPECT_TRUE(link.noted("uploader counts 00000512 bytes, 768 were sent"));
}

// A packet the unit spoiled must be answered "NO", the end packet included;
// an "OK" for it means the uploader took bytes with a wrong check.
TEST(SimRecordings, ASpoiledPacketWantsNoAndOnlyInTheChosenRecording) {
    struct Case {
        int packet;
        const char* answer;
        const char* outcome;  // a note, or the anomaly's reply
    };
    const Case cases[] = {
        {1, "NO 00000100\r", "recording 1 abandoned"},
        {0, "NO 00000000\r", "recording 1 abandoned"},  // the end packet of an empty recording
        {1, "OK 00000200\r", "NO: uploader took a packet with a wrong check"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.answer) + " to packet " + std::to_string(c.packet));
        SimConfig config;
        config.recordings = {Bytes(200, 1), c.packet ? Bytes(200, 1) : Bytes{}};
        config.packet_size = 100;
        config.faults.corrupt_packet = c.packet;
        config.faults.corrupt_recording = 1;
        SimLink link(config);
        EXPECT_EQ(download(link, 0).size(), 3u);  // recording 0 whole: two data packets and the end
        link.send("H 1\r\n");
        Bytes wire = link.read_after(100);
        wire.erase(wire.begin(), wire.begin() + 4);
        Packet p;
        for (int i = 0; i <= c.packet; ++i) {
            ASSERT_TRUE(take_packet(wire, p));
            if (i < c.packet) link.send(ack(p.payload.size() * (i + 1)));
            Bytes more = link.read_after(50);
            wire.insert(wire.end(), more.begin(), more.end());
        }
        EXPECT_FALSE(p.payload_ok);
        link.send(c.answer);
        const std::string reply = link.text_after(100);
        EXPECT_TRUE(link.noted(c.outcome) || reply.find(c.outcome) == 0) << reply;
    }
}

TEST(SimRecordings, ARecordingCanBeRefused) {
    SimConfig config;
    config.recordings = {Bytes(10, 1), Bytes(10, 2)};
    config.faults.refused_recording = 1;
    SimLink link(config);
    link.send("H 1\r\n");
    EXPECT_EQ(link.text_after(100), "NO: recording unavailable\r\n");
    EXPECT_EQ(download(link, 0).size(), 2u);
}
