#include "formats/terrain_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "support/temp_dir.h"

namespace {

class TerrainFileTest : public ::testing::Test {
protected:
    void SetUp() override { terrain_file_reset(); }
    std::string write(const std::string& bytes, const char* name = "terrain.bin") { return dir.write(name, bytes); }
    TempDir dir;
};

TEST_F(TerrainFileTest, CurrentPairIsAcceptedAndLeavesTheHeader) {
    const TerrainRecipe recipe{.version = 3107, .info = filler_bytes(20000, 1), .data = filler_bytes(5000, 2)};
    const TerrainPair pair = build_terrain_pair(recipe);
    ASSERT_EQ(read_terrain_info(write(pair.info_file, "t.hdr")), 1);
    EXPECT_EQ(g_terrain_header.t_version, 3107u);
    EXPECT_EQ(g_terrain_header.t_info_length, 20000u);
    EXPECT_EQ(g_terrain_header.t_data_length, 5000u);
    EXPECT_EQ(g_terrain_header.t_info_crc, crc_final_of(recipe.info));
    EXPECT_EQ(g_terrain_header.word44, be32_at(pair.info_file, 44));
    EXPECT_EQ(read_terrain_data(write(pair.data_file, "t.dat")), 1);
    EXPECT_FALSE(terrain_big_file());
    EXPECT_EQ(read_terrain_data(write(truncated(pair.data_file, terrain_header_size), "short.dat")), 1)
        << "the data section is not read";
}

TEST_F(TerrainFileTest, BadInfoFileFails) {
    const TerrainRecipe recipe{.info = filler_bytes(20000, 3)};
    const std::string valid = build_terrain_pair(recipe).info_file;
    std::string flipped_header = valid;
    flip_byte(flipped_header, 100);
    std::string flipped_info = valid;
    flip_byte(flipped_info, valid.size() - 1);
    std::string long_info = valid;
    set_be32(long_info, t_info_length_offset, 0xFFFFFFF0u);
    reseal_terrain_header(long_info, TerrainGeneration::current);
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"shorter than the header", truncated(valid, 255)},
        {"a header byte changed", flipped_header},
        {"ends inside the info section", truncated(valid, valid.size() - 1)},
        {"info length far beyond the end of the file", long_info},
        {"an info byte changed", flipped_info},
        {"earlier-generation file (raw registers)",
         build_terrain_pair({.generation = TerrainGeneration::earlier, .info = recipe.info}).info_file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read_terrain_info(write(c.file)), -1);
        EXPECT_EQ(g_terrain_header.t_version, 0u) << "a failed check leaves no header";
    }
    EXPECT_EQ(read_terrain_info(dir.file("missing.hdr")), -1);
}

TEST_F(TerrainFileTest, DataFileHeaderMustAgreeWithInfoFile) {
    const TerrainPair pair = build_terrain_pair({});
    ASSERT_EQ(read_terrain_info(write(pair.info_file, "t.hdr")), 1);
    for (int offset : {0, 4, 8, 44, 80, 236, 240, 244, 248}) {
        SCOPED_TRACE(offset);
        std::string data = pair.data_file;
        set_be32(data, offset, be32_at(data, offset) + 1);
        reseal_terrain_header(data, TerrainGeneration::current);
        EXPECT_EQ(read_terrain_data(write(data)), -1);
    }
    std::string unchecked_byte = pair.data_file;
    flip_byte(unchecked_byte, 20);
    reseal_terrain_header(unchecked_byte, TerrainGeneration::current);
    EXPECT_EQ(read_terrain_data(write(unchecked_byte)), 1) << "other header bytes may differ";

    std::string bad_checksum = pair.data_file;
    flip_byte(bad_checksum, 20);
    EXPECT_EQ(read_terrain_data(write(bad_checksum)), -1);
    EXPECT_EQ(read_terrain_data(write(truncated(pair.data_file, 200))), -1);
    EXPECT_EQ(read_terrain_data(dir.file("missing.dat")), -1);
}

// Sparse files: only the header is written, the rest reads as zeros.
TEST_F(TerrainFileTest, BigFileFlagIsSetAboveFourGibibytes) {
    const TerrainPair pair = build_terrain_pair({});
    ASSERT_EQ(read_terrain_info(write(pair.info_file, "t.hdr")), 1);
    const uintmax_t four_gib = uintmax_t(1) << 32;
    for (uintmax_t size : {four_gib, four_gib + 1, uintmax_t(pair.data_file.size())}) {
        SCOPED_TRACE(size);
        const std::string path = write(pair.data_file, "big.dat");
        std::filesystem::resize_file(path, size);
        EXPECT_EQ(read_terrain_data(path), 1);
        EXPECT_EQ(terrain_big_file(), size > four_gib);
        std::filesystem::remove(path);
    }
}

// Current-generation files hold final values, earlier-generation ones raw
// registers; each reader accepts only its own.
TEST_F(TerrainFileTest, EachGenerationHasItsOwnChecksumForm) {
    const TerrainRecipe recipe{.version = 77, .info = filler_bytes(3000, 5), .data = filler_bytes(5000, 6)};
    for (TerrainGeneration generation : {TerrainGeneration::current, TerrainGeneration::earlier}) {
        const bool earlier = generation == TerrainGeneration::earlier;
        SCOPED_TRACE(earlier ? "earlier" : "current");
        TerrainRecipe s = recipe;
        s.generation = generation;
        const TerrainPair pair = build_terrain_pair(s);
        const std::string info = write(pair.info_file, "t.hdr");
        const std::string data = write(pair.data_file, "t.dat");
        EXPECT_EQ(read_terrain_file_serial(info, TerrainPhase::header), earlier ? 1 : -1);
        EXPECT_EQ(read_terrain_file_serial(data, TerrainPhase::data), earlier ? 1 : -1);
        EXPECT_EQ(read_terrain_info(info), earlier ? -1 : 1);
    }
    EXPECT_EQ(g_terrain_header.t_version, 77u);
    EXPECT_EQ(g_terrain_header.t_data_crc, crc_register_of(recipe.data)) << "left by the earlier-generation reader";
}

TEST_F(TerrainFileTest, BadEarlierGenerationFileFails) {
    const TerrainPair pair = build_terrain_pair({.generation = TerrainGeneration::earlier});
    struct Case {
        const char* name;
        std::string file;
        TerrainPhase phase;
    };
    std::string flipped_data = pair.data_file;
    flip_byte(flipped_data, 3000);
    std::string long_data = pair.data_file;
    set_be32(long_data, t_data_length_offset, 0xFFFFFFF0u);
    reseal_terrain_header(long_data, TerrainGeneration::earlier);
    const Case cases[] = {
        {"header file checked as data file", pair.info_file, TerrainPhase::data},
        {"a data byte changed", flipped_data, TerrainPhase::data},
        {"data length far beyond the end of the file", long_data, TerrainPhase::data},
        {"ends inside the info section", truncated(pair.info_file, 300), TerrainPhase::header},
        {"shorter than the header", truncated(pair.info_file, 100), TerrainPhase::header},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read_terrain_file_serial(write(c.file), c.phase), -1);
    }
    EXPECT_EQ(read_terrain_file_serial(dir.file("missing"), TerrainPhase::header), -1);
}

}  // namespace
