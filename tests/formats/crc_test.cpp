#include "formats/crc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "formats/crc_paths.h"

namespace {

uint32_t byte_by_byte(uint32_t reg, const unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) crc_add_byte(reg, data[i]);
    return reg;
}

std::vector<unsigned char> random_bytes(std::size_t size, std::mt19937& rng) {
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes) b = static_cast<unsigned char>(rng());
    return bytes;
}

TEST(Crc, KnownInputs) {
    struct Case {
        std::string input;
        uint32_t reg, end;
    };
    const Case cases[] = {
        {"", 0xFFFFFFFFu, 0x00000001u},
        {"abc", 0xCADBBE3Du, 0x352441C3u},
        {"123456789", 0x340BC6D9u, 0xCBF43927u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        uint32_t reg;
        EXPECT_EQ(crc_begin(reg), 0xFFFFFFFFu);
        crc_add_bytes(reg, c.input.data(), static_cast<int32_t>(c.input.size()));
        EXPECT_EQ(reg, c.reg);
        EXPECT_EQ(crc_end(reg), c.end);
        EXPECT_EQ(crc_end(reg), c.end);
        EXPECT_EQ(reg, c.reg);
    }
}

TEST(Crc, OneByteFromZeroIsTheTableEntry) {
    const std::pair<uint8_t, uint32_t> entries[] = {{0, 0x00000000u}, {1, 0x77073096u}, {255, 0x2D02EF8Du}};
    for (const auto& [byte, entry] : entries) {
        uint32_t reg = 0;
        crc_add_byte(reg, byte);
        EXPECT_EQ(reg, entry) << int(byte);
    }
}

TEST(Crc, CountOfZeroOrLessAddsNothing) {
    const char data[] = "abc";
    for (int32_t count : {0, -1, -3, INT32_MIN}) {
        uint32_t reg;
        crc_begin(reg);
        crc_add_bytes(reg, data, count);
        EXPECT_EQ(reg, 0xFFFFFFFFu) << count;
    }
}

TEST(Crc, AnySplitGivesTheSameRegister) {
    std::mt19937 rng(1);
    const auto data = random_bytes(100000, rng);
    uint32_t whole;
    crc_begin(whole);
    crc_add_bytes(whole, data.data(), static_cast<int32_t>(data.size()));
    EXPECT_EQ(whole, byte_by_byte(0xFFFFFFFFu, data.data(), data.size()));

    for (int round = 0; round < 20; ++round) {
        uint32_t reg;
        crc_begin(reg);
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t piece = std::min<std::size_t>(rng() % (round < 10 ? 40 : 5000), data.size() - at);
            if (piece == 1)
                crc_add_byte(reg, data[at]);
            else if (piece % 2)
                crc_add_span(reg, data.data() + at, piece);
            else
                crc_add_bytes(reg, data.data() + at, static_cast<int32_t>(piece));
            at += piece;
        }
        EXPECT_EQ(reg, whole) << "round " << round;
    }
}

// Each update path against the byte-at-a-time definition.
struct Path {
    const char* name;
    bool (*available)();
    uint32_t (*update)(uint32_t, const unsigned char*, std::size_t);
};

class CrcPath : public testing::TestWithParam<Path> {
protected:
    void SetUp() override {
        if (!GetParam().available()) GTEST_SKIP() << "this CPU cannot run the " << GetParam().name << " path";
    }
    std::mt19937 rng{2};
};

TEST_P(CrcPath, EveryLengthAtRandomOffsets) {
    const auto data = random_bytes(1200, rng);
    for (std::size_t size = 0; size <= 1100; ++size) {
        const std::size_t offset = rng() % 64;
        const uint32_t start = rng();
        ASSERT_EQ(GetParam().update(start, data.data() + offset, size), byte_by_byte(start, data.data() + offset, size))
            << "size " << size << " offset " << offset;
    }
}

TEST_P(CrcPath, RandomSplitsChainUp) {
    const auto data = random_bytes(20000, rng);
    const uint32_t expected = byte_by_byte(0xFFFFFFFFu, data.data(), data.size());
    for (int round = 0; round < 50; ++round) {
        uint32_t reg = 0xFFFFFFFFu;
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t piece = std::min<std::size_t>(rng() % 3000, data.size() - at);
            reg = GetParam().update(reg, data.data() + at, piece);
            at += piece;
        }
        ASSERT_EQ(reg, expected) << "round " << round;
    }
}

TEST_P(CrcPath, LargeBuffers) {
    const auto data = random_bytes((4 << 20) + 64, rng);
    for (std::size_t size : {std::size_t{1} << 20, (std::size_t{3} << 20) + 77, std::size_t{4} << 20}) {
        const std::size_t offset = rng() % 64;
        const uint32_t start = rng();
        EXPECT_EQ(GetParam().update(start, data.data() + offset, size), byte_by_byte(start, data.data() + offset, size))
            << "size " << size << " offset " << offset;
    }
}

bool always() { return true; }

INSTANTIATE_TEST_SUITE_P(Paths, CrcPath,
                         testing::Values(Path{"table", always, crc_update_table},
                                         Path{"pclmul", crc_cpu_has_pclmul, crc_update_pclmul},
                                         Path{"vpclmul", crc_cpu_has_vpclmul, crc_update_vpclmul}),
                         [](const testing::TestParamInfo<Path>& info) { return std::string(info.param.name); });

}  // namespace
