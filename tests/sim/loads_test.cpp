// Load modes, control blocks, raw bodies, data blocks
// and the block test stream.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "sim/wire.h"

namespace {
// Stores hdr_crc for the block's present contents.
void seal(Bytes& cb) { put_be32(&cb[252], crc_end(raw_register(Bytes(cb.begin(), cb.begin() + 252)))); }

// A body with DLE, NAK, ACK and CAN bytes in it.
Bytes sample_body(std::size_t size) {
    Bytes body(size);
    for (std::size_t i = 0; i < size; ++i) body[i] = uint8_t(i * 7 + 0x10);
    return body;
}
}  // namespace

TEST(SimLoads, ControlBlockAndBodyAreCheckedAndStored) {
    Bytes body = sample_body(3000);
    Bytes good = control_block(2, body, "a424_database.bin");
    Bytes wrong_checksum = good;
    put_be32(&wrong_checksum[76], get_be32(&good[76]) + 1);
    seal(wrong_checksum);
    Bytes wrong_hdr_crc = good;
    wrong_hdr_crc[200] ^= 1;

    SimLink fine;
    EXPECT_EQ(fine.load(good, body), "OK\r\nOK\r\nOK\r\n");
    ASSERT_EQ(fine.unit.loads().size(), 1u);
    const SimLoad& load = fine.unit.loads()[0];
    EXPECT_TRUE(load.accepted);
    EXPECT_EQ(load.name, "a424_database.bin");
    EXPECT_EQ(load.data, body);
    EXPECT_EQ(load.control_block, good);

    SimLink refused_body;
    EXPECT_EQ(refused_body.load(wrong_checksum, body), "OK\r\nOK\r\nERR: load checksum mismatch\r\n");
    EXPECT_FALSE(refused_body.unit.loads().at(0).accepted);

    SimLink refused_block;
    EXPECT_EQ(refused_block.load(wrong_hdr_crc, {}), "OK\r\nERR: control block checksum mismatch\r\n");
}

TEST(SimLoads, BrokenFramesAreRefused) {
    Bytes cb = control_block(1, {}, "0x3400");
    Bytes frame = framed_block('C', cb, 0, true);
    struct Case {
        const char* what;
        std::size_t at;
        std::string reply;
    } cases[] = {
        {"header check", 9, "OK\r\nERR: header check mismatch\r\n"},
        {"payload check", frame.size() - 1, "OK\r\nERR: control block check mismatch\r\n"},
    };
    for (const Case& c : cases) {
        SimLink link;
        Bytes broken = frame;
        broken[c.at] ^= 0x40;
        link.send("P\r");
        link.send(broken);
        EXPECT_EQ(link.text_after(100), c.reply) << c.what;
    }
    SimLink unstuffed;
    unstuffed.send("P\r");
    unstuffed.send(framed_block('C', control_block(1, {}, "0x3400\x10"), 0, false));
    EXPECT_EQ(unstuffed.text_after(100), "OK\r\nERR: single DLE in the payload\r\n");
}

TEST(SimLoads, EmptyBodyIsAnsweredAtOnce) {
    SimLink link;
    EXPECT_EQ(link.load(control_block(2, {}, "overlay_database_data.bin"), {}), "OK\r\nOK\r\nOK\r\n");
    EXPECT_EQ(link.unit.loads().at(0).checksum, 1u);
}

TEST(SimLoads, DatabaseControlBlockFieldsAreChecked) {
    struct Case {
        const char* name;
        std::size_t at;
        uint32_t value;
        const char* refusal;
    };
    const Case cases[] = {
        {"unknown name", 0, 0, "no database is stored as \"x\""},
        {"format", 0, 2, "database block format 2"},
        {"release", 72, 7, "database release 7"},
        {"embedded checksum", 92, 0, "database block with an embedded checksum offset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes cb = control_block(2, {}, c.at == 0 && c.value == 0 ? "x" : "a424_database.bin");
        if (c.value || c.at) {
            put_be32(&cb[c.at], c.value);
            put_be32(&cb[252], crc_end(raw_register(Bytes(cb.begin(), cb.begin() + 252))));
        }
        SimLink link;
        EXPECT_EQ(link.load(cb, {}), std::string("OK\r\nERR: ") + c.refusal + "\r\n");
        EXPECT_TRUE(link.unit.loads().empty() || !link.unit.loads().back().accepted);
    }
}

TEST(SimLoads, ErrTextDuringTheBodyAndAnUnfinishedBody) {
    SimConfig config;
    config.faults.err_during_body = true;
    SimLink err(config);
    Bytes body = sample_body(100);
    EXPECT_EQ(err.load(control_block(1, body, "0x3400"), body), "OK\r\nOK\r\nERR: write fault\r\nOK\r\n");

    SimLink short_body;
    EXPECT_EQ(short_body.load(control_block(1, body, "0x3400"), Bytes(body.begin(), body.begin() + 60)), "OK\r\nOK\r\n");
    EXPECT_EQ(short_body.text_after(5000), "ERR: body incomplete: 60 of 100 bytes\r\n");
}

// Taken in runs or byte by byte, a raw body meets its pauses and the injected
// "ERR" at the same bytes, and bytes past its end are counted alike: what the
// unit says during a body sent in pieces of 7 bytes comes with the piece that
// holds the byte at which it comes when the body goes byte by byte.
TEST(SimLoads, RawBodyInRunsMeetsWhatByteByByteMeets) {
    SimConfig config;
    config.pacing.nak_every = 1000;
    config.pacing.busy_ms = 0;  // ACK at once: what the unit says is readable at once
    config.faults.err_at_body_byte = 2500;
    const Bytes body = sample_body(5000);
    Bytes sent = body;
    sent.insert(sent.end(), 7, 0x55);
    struct Said {
        std::size_t after;  // body bytes sent
        std::string text;
        bool operator==(const Said&) const = default;
    };
    std::string past_refusal;
    auto said_in_pieces_of = [&](std::size_t piece) {
        SimLink link(config);
        link.send("P\r");
        link.text_after(1000);
        link.send(framed_block('C', control_block(1, body, "0x3400"), 0, true));
        link.text_after(1000);
        std::vector<Said> said;
        for (std::size_t at = 0; at < sent.size(); at += piece) {
            const std::size_t end = std::min(at + piece, sent.size());
            link.send(Bytes(sent.begin() + long(at), sent.begin() + long(end)));
            const std::string text = link.text_after(0);
            if (!text.empty()) said.push_back({end, text});
        }
        past_refusal = link.text_after(2000);
        return said;
    };
    std::vector<Said> expected = said_in_pieces_of(1);
    ASSERT_EQ(past_refusal, "ERR: 7 bytes past the announced body length\r\n");
    ASSERT_GE(expected.size(), 5u) << "the pauses and the ERR text";
    for (Said& s : expected) s.after = (s.after + 6) / 7 * 7;
    EXPECT_TRUE(said_in_pieces_of(7) == expected);
    EXPECT_EQ(past_refusal, "ERR: 7 bytes past the announced body length\r\n");
}

// The control block holds only the low 32 bits of a body's length: a body
// 4 GiB longer that goes on without a pause is taken whole, judged by its
// checksum; only the kept bytes are stored, the first run cut at the limit.
TEST(SimLoads, BodyBeyondFourGibIsTakenWholeWhenItGoesOnWithoutAPause) {
    const Bytes piece = sample_body(1 << 20);
    const uint64_t length = (uint64_t(1) << 32) + 3000;
    uint32_t reg;
    crc_begin(reg);
    for (uint64_t done = 0; done < length; done += piece.size())
        crc_add_span(reg, piece.data(), std::size_t(std::min<uint64_t>(piece.size(), length - done)));
    Bytes cb = control_block(2, Bytes(3000), "terrain_database_data.bin");
    put_be32(&cb[76], crc_end(reg));
    seal(cb);

    SimConfig config;
    config.keep_load_bytes = 100;
    SimLink link(config);
    link.send("P\r");
    std::string replies = link.text_after(1000);
    link.send(framed_block('C', cb, 0, true));
    replies += link.text_after(1000);
    for (uint64_t done = 0; done < length; done += piece.size()) {
        const std::size_t n = std::size_t(std::min<uint64_t>(piece.size(), length - done));
        link.send(n == piece.size() ? piece : Bytes(piece.begin(), piece.begin() + long(n)));
    }
    EXPECT_EQ(replies + link.text_after(2000), "OK\r\nOK\r\nOK\r\n");
    ASSERT_EQ(link.unit.loads().size(), 1u);
    const SimLoad& load = link.unit.loads()[0];
    EXPECT_TRUE(load.accepted) << load.verdict;
    EXPECT_EQ(load.length, length);
    EXPECT_EQ(load.data, Bytes(piece.begin(), piece.begin() + 100));
}

TEST(SimLoads, ImageLoadsTakeDataBlocksAtTheirAddresses) {
    Bytes payload = sample_body(2500);
    const Bytes cb = control_block(3, payload, "kernel");
    Bytes resealed = cb;
    seal(resealed);
    struct Case {
        const char* name;
        const Bytes& control;
        std::size_t block_size;
        uint32_t second_address;  // of the block at 1024 when sent whole
        bool spoil_second;
        const char* staged;
        const char* reply;  // the last one
    };
    const Case cases[] = {
        {"whole", cb, 1024, 1024, false, "BR 115200\r", "OK\r\nOK\r\nOK\r\n"},
        {"a spoiled block", cb, 1024, 1024, true, "BR 115200\r", "ERR: data block check mismatch\r\n"},
        {"blocks over 1024 bytes", cb, 1250, 1250, false, "BR 115200\r", "ERR: data block of 1250 bytes, over 1024\r\n"},
        {"a block out of place", cb, 1024, 1000, false, "BR 115200\r", "ERR: data block at an unexpected address\r\n"},
        {"another staged command", cb, 1024, 1024, false, "BR 57600\r",
         "ERR: staged bytes \"BR 5\" are not the baud command\r\n"},
        {"no staged command", cb, 1024, 1024, false, "", "ERR: no staged baud command after the payload\r\n"},
        {"the header checksum over the sent field", resealed, 1024, 1024, false, "BR 115200\r",
         "ERR: control block checksum mismatch\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimLink link;
        link.send("P\r");
        std::string replies = link.text_after(1000);
        link.send(framed_block('C', c.control, 0, true));
        for (uint32_t at = 0; at < payload.size(); at += uint32_t(c.block_size)) {
            Bytes piece(payload.begin() + at, payload.begin() + std::min<std::size_t>(at + c.block_size, payload.size()));
            Bytes block = framed_block('D', piece, at == c.block_size ? c.second_address : at, false);
            if (c.spoil_second && at == c.block_size) block.back() ^= 1;
            link.send(block);
        }
        if (*c.staged) link.send(c.staged);
        replies += link.text_after(6000);
        const bool whole = std::string(c.name) == "whole";
        EXPECT_NE(replies.find(c.reply), std::string::npos) << replies;
        ASSERT_EQ(link.unit.loads().size(), 1u);
        EXPECT_EQ(link.unit.loads()[0].accepted, whole) << link.unit.loads()[0].verdict;
        if (whole) {
            EXPECT_EQ(link.unit.loads()[0].data, payload);
            EXPECT_TRUE(link.noted("link speed 115200"));
        }
    }
}

TEST(SimLoads, BlockTestStreamEndsWithEightCanBytes) {
    SimLink link;
    link.send("PT\r");
    Bytes stream = sample_body(5000);
    stream.insert(stream.begin() + 10, 3, 0x18);
    link.send(stream);
    link.send(can_burst());
    EXPECT_EQ(link.text_after(100), "OK: Entering TSTBLK mode\r\nOK: Ready for commands.\r\n");
    EXPECT_EQ(link.unit.loads().at(0).mode, "PT");
    EXPECT_EQ(link.unit.loads().at(0).data, stream);
}
