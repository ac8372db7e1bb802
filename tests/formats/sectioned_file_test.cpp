#include "formats/sectioned_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "support/temp_dir.h"

namespace {

// The obstacle and overlay readers check the same layout into their own state.
struct Kind {
    const char* name;
    int (*read)(const std::string&);
    const SectionedFileState& (*state)();
    const SectionedFileState& (*other_state)();
};
const Kind obstacle{"obstacle", read_obstacle_file, obstacle_file_state, overlay_file_state};
const Kind overlay{"overlay", read_overlay_file, overlay_file_state, obstacle_file_state};

class SectionedFileTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { sectioned_file_reset(); }
    int check(const std::string& bytes) { return GetParam().read(dir.write("db.bin", bytes)); }
    TempDir dir;
};

TEST_P(SectionedFileTest, ValidFilesLeaveTheirHeaderFields) {
    struct Case {
        const char* name;
        SectionedFileRecipe recipe;
    };
    const Case cases[] = {
        {"format 3 with info and several data pieces", {.info = filler_bytes(9000, 1), .data = filler_bytes(20000, 2)}},
        {"format 4", {.format = 4}},
        {"format 2: no info section", {.format = 2}},
        {"format 0", {.format = 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sectioned_file_reset();
        const std::string file = build_sectioned_file(c.recipe);
        ASSERT_EQ(check(file), DB_OK);
        const SectionedFileState& s = GetParam().state();
        EXPECT_EQ(s.db_format, c.recipe.format);
        EXPECT_EQ(s.db_version, c.recipe.version);
        EXPECT_EQ(s.db_info_length, c.recipe.info.size());
        EXPECT_EQ(s.db_data_length, be32_at(file, db_data_length_offset));
        EXPECT_EQ(s.db_data_crc, be32_at(file, db_data_crc_offset));
        EXPECT_EQ(GetParam().other_state().db_version, 0u) << "the other kind's copy is untouched";
    }
}

TEST(SectionedFile, EmptySectionsCarryTheChecksumOfNothing) {
    TempDir dir;
    const std::string old_format = build_sectioned_file({.format = 2, .data = ""});
    EXPECT_EQ(be32_at(old_format, db_data_length_offset), 288u);
    EXPECT_EQ(be32_at(old_format, db_data_crc_offset), 1u);
    EXPECT_EQ(read_obstacle_file(dir.write("old.bin", old_format)), DB_OK);
    const std::string no_info = build_sectioned_file({.format = 3, .info = ""});
    EXPECT_EQ(be32_at(no_info, db_info_crc_offset), 1u);
    EXPECT_EQ(read_overlay_file(dir.write("new.bin", no_info)), DB_OK);
}

TEST_P(SectionedFileTest, BadFileGivesTheCodeOfTheFailingPart) {
    const SectionedFileRecipe recipe{.info = filler_bytes(500, 3), .data = filler_bytes(20000, 4)};
    const std::string valid = build_sectioned_file(recipe);
    const std::size_t info_at = db_header_size;
    const std::size_t data_at = info_at + recipe.info.size();
    auto resealed = [](std::string file, std::function<void(std::string&)> change) {
        change(file);
        reseal_sectioned_header(file);
        return file;
    };
    auto flipped = [&valid](std::size_t offset) {
        std::string file = valid;
        flip_byte(file, offset);
        return file;
    };
    const std::string old_format = build_sectioned_file({.format = 2});
    struct Case {
        const char* name;
        std::string file;
        int code;
    };
    const Case cases[] = {
        {"shorter than the header", truncated(valid, 100), DB_HEADER_READ_FAILED},
        {"a header byte changed", flipped(10), DB_HEADER_CRC_FAILED},
        {"ends inside the info section", truncated(valid, info_at + 200), DB_INFO_READ_FAILED},
        {"info length far beyond the end of the file",
         resealed(valid, [](std::string& f) { set_be32(f, db_info_length_offset, 0xFFFFFFF0u); }),
         DB_INFO_READ_FAILED},
        {"an info byte changed", flipped(info_at + 499), DB_INFO_CRC_FAILED},
        {"ends inside the data section", truncated(valid, data_at + 8192), DB_DATA_READ_FAILED},
        {"data length far beyond the end of the file",
         resealed(valid, [](std::string& f) { set_be32(f, db_data_length_offset, 0xFFFFFFF0u); }),
         DB_DATA_READ_FAILED},
        {"format 2 whose data length is below 288",
         resealed(old_format, [](std::string& f) { set_be32(f, db_data_length_offset, 100); }), DB_DATA_READ_FAILED},
        {"format 2 ending inside its 32 unchecked bytes", truncated(old_format, 270), DB_DATA_READ_FAILED},
        {"a data byte changed", flipped(valid.size() - 1), DB_DATA_CRC_FAILED},
        {"format 2 ignores a nonsense info length",
         resealed(old_format, [](std::string& f) { set_be32(f, db_info_length_offset, 0xFFFFFFF0u); }), DB_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check(c.file), c.code);
    }
    EXPECT_EQ(GetParam().read(dir.file("missing.bin")), DB_OPEN_FAILED);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SectionedFileTest, ::testing::Values(obstacle, overlay),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
