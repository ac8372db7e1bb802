// The earlier-generation load protocol: silent mode and control block,
// answered data blocks with refusals, the flash write with its progress lines.
#include <gtest/gtest.h>

#include "formats/byte_order.h"
#include "sim/wire.h"

namespace {
SimConfig earlier() {
    SimConfig config;
    config.generation = 1;
    config.p_table.hardware_id = 0x12345FFF;
    return config;
}

// An airport control block, relocated, for `length` data bytes: its checksum
// is the raw register over bytes 0..251.
Bytes airport_block(uint32_t length) {
    Bytes cb(256, 0x10);
    put_be32(&cb[244], length);
    put_be32(&cb[252], raw_register(Bytes(cb.begin(), cb.begin() + 252)));
    return cb;
}
}  // namespace

TEST(SimEarlierGeneration, AirportLoadWithRefusedBlocksAndFlashRetry) {
    SimConfig config = earlier();
    config.faults.refused_blocks = 1;
    config.faults.flash_retries = 1;
    config.flash_ms = 3000;
    SimLink link(config);
    Bytes data(1500, 0x10);
    link.send("M\r");
    link.send(framed_block('C', airport_block(1500), 0, true));
    EXPECT_EQ(link.text_after(1000), "");

    Bytes first(data.begin(), data.begin() + 1024), second(data.begin() + 1024, data.end());
    link.send(framed_block('D', first, 256, true));
    EXPECT_EQ(link.text_after(100), "NO: busy\r\n");
    link.send(framed_block('D', first, 256, true));
    EXPECT_EQ(link.text_after(100), "OK\r\n");
    Bytes spoiled = framed_block('D', second, 1280, true);
    spoiled.back() ^= 1;
    link.send(spoiled);
    EXPECT_EQ(link.text_after(100), "NO: data block check mismatch\r\n");
    link.send("N\r");
    link.send(framed_block('D', second, 1280, true));
    EXPECT_EQ(link.text_after(100), "OK\r\n");

    link.send("BR 115200\r");
    link.send("W\r\n");
    EXPECT_EQ(link.text_after(3000), "Retry\r\n");
    link.send("W\r\n");
    EXPECT_EQ(link.text_after(1500), "Begin erase\r\nBegin write\r\n");
    EXPECT_EQ(link.text_after(1500), "OK: flash written\r\n");

    ASSERT_EQ(link.unit.loads().size(), 1u);
    const SimLoad& load = link.unit.loads()[0];
    EXPECT_TRUE(load.accepted);
    EXPECT_EQ(load.length, 1500u);
    EXPECT_EQ(Bytes(load.data.begin() + 256, load.data.end()), data);
}

TEST(SimEarlierGeneration, TerrainSizeAndSoftwareBlocksWithoutReplies) {
    SimLink link(earlier());
    link.send("ZT 12C\r\n");
    EXPECT_EQ(link.text_after(100), "OK\r\n");
    EXPECT_TRUE(link.noted("terrain data chunks of 300 bytes"));

    link.send("P\r");
    link.send(framed_block('C', Bytes(256, 0x10), 0, true));
    Bytes spoiled = framed_block('D', Bytes(16, 0x10), 256, true);
    spoiled.back() ^= 1;
    link.send(spoiled);
    link.send("BR 115200\r");
    EXPECT_EQ(link.text_after(100), "");
    link.send("W\r\n");
    EXPECT_EQ(link.text_after(100), "Begin erase\r\nBegin write\r\nERR: data block check mismatch\r\n");
    EXPECT_FALSE(link.unit.loads().at(0).accepted);

    link.send("W\r\n");
    EXPECT_EQ(link.text_after(100), "NO: nothing to write\r\n");
}

namespace {
// A terrain chunk of 300 bytes announced, its mode entered and its control
// block (its own first 256 bytes) sent.
const Bytes chunk(300, 0x41);
void start_chunk(SimLink& link) {
    link.send("ZT 12C\r\n");
    link.send("T\r");
    link.send(framed_block('C', Bytes(chunk.begin(), chunk.begin() + 256), 0, true));
}
}  // namespace

// What a real unit refuses of a sender that gets the earlier protocol wrong:
// each case is one mistake, named by the anomaly it leaves.
TEST(SimEarlierGeneration, RefusesBlocksAndChunksSentWrongly) {
    struct Case {
        const char* anomaly;
        void (*send)(SimLink& link);
    };
    const Case cases[] = {
        {"data block at 0x00000000, 0x00000100 expected",
         [](SimLink& link) {
             start_chunk(link);
             link.send(framed_block('D', chunk, 0, true));
         }},
        {"data block after a speed change without \"N\"",
         [](SimLink& link) {
             start_chunk(link);
             link.send("BR 57600\r");
             link.send(framed_block('D', chunk, 256, true));
         }},
        {"terrain load without an announced chunk size",
         [](SimLink& link) {
             link.send("T\r");
             link.send(framed_block('C', Bytes(256, 1), 0, true));
         }},
        {"200 bytes received, 300 announced",
         [](SimLink& link) {
             start_chunk(link);
             link.send(framed_block('D', Bytes(chunk.begin(), chunk.begin() + 200), 256, true));
             link.send("W\r\n");
         }},
        {"control block is not the chunk's first 256 bytes",
         [](SimLink& link) {
             Bytes other = chunk;
             other[10] ^= 1;
             start_chunk(link);
             link.send(framed_block('D', other, 256, true));
             link.send("W\r\n");
         }},
        {"airport control block not relocated",
         [](SimLink& link) {
             Bytes cb(256, 0);
             put_be32(&cb[252], raw_register(Bytes(cb.begin(), cb.begin() + 252)));
             link.send("M\r");
             link.send(framed_block('C', cb, 0, true));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anomaly);
        SimLink link(earlier());
        c.send(link);
        link.text_after(200);
        EXPECT_EQ(link.unit.anomalies(), std::vector<std::string>{c.anomaly}) << link.unit.transcript_text();
    }
}
