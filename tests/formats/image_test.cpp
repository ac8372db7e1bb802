#include "formats/image.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/fixtures/bytes.h"
#include "support/fixtures/load_image_builder.h"
#include "support/temp_dir.h"

namespace {

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { image_reset(); }
    void TearDown() override { image_reset(); }  // closes the file before the folder goes

    bool open(const std::string& bytes, uint32_t type = IMAGE_SYSTEM_PROGRAM) {
        return image_open(dir.write("image.hhf", bytes), type);
    }

    TempDir dir;
};

std::size_t payload_at(std::size_t offset) { return load_image_header_size + offset; }

TEST_F(ImageTest, ValidImagesPassEveryCheck) {
    struct Case {
        const char* name;
        LoadImageRecipe recipe;
    };
    const Case cases[] = {
        {"little-endian ELF", {}},
        {"big-endian ELF", {.elf_big_endian = true}},
        {"ELF class 2 read in the 32-bit layout", {.elf_class = 2}},
        {"payload and checked region over several pieces", {.writable_offset = 0x5000, .payload_size = 30000}},
        {"text right below the end of the checked region", {.embedded_offset = 0x2000 - 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open(build_load_image(c.recipe)));
        EXPECT_TRUE(image_check_payload_crc());
        EXPECT_TRUE(image_payload_checked());
        EXPECT_TRUE(image_is_release());
        EXPECT_TRUE(image_check_embedded_crc());
    }
}

TEST_F(ImageTest, HeaderOnlyImageWithEmptyPayloadPassesPayloadCheck) {
    const std::string image = build_load_image({.type = IMAGE_OS, .elf = false, .payload_size = 0});
    ASSERT_EQ(image.size(), std::size_t(load_image_header_size));
    ASSERT_TRUE(open(image, IMAGE_OS));
    EXPECT_EQ(be32_at(image, hdr_payload_crc), 1u);
    EXPECT_TRUE(image_check_payload_crc());
}

TEST_F(ImageTest, BadHeaderFailsOpenAndEveryLaterCheck) {
    const std::string valid = build_load_image({});
    auto resealed = [&valid](std::function<void(std::string&)> change) {
        std::string image = valid;
        change(image);
        reseal_load_image_header(image);
        return image;
    };
    struct Case {
        const char* name;
        std::string image;
    };
    std::string flipped = valid;
    flipped[hdr_id_text + 3] ^= 0x20;
    const Case cases[] = {
        {"shorter than the header", truncated(valid, load_image_header_size - 1)},
        {"header checksum does not match", flipped},
        {"format 2", resealed([](std::string& b) { set_be32(b, hdr_format, 2); })},
        {"header written little-endian",
         resealed([](std::string& b) {
             set_le32(b, hdr_format, 1);
             set_le32(b, hdr_image_type, IMAGE_SYSTEM_PROGRAM);
         })},
        {"operating-system image where a program is expected",
         resealed([](std::string& b) { set_be32(b, hdr_image_type, IMAGE_OS); })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open(valid));
        EXPECT_FALSE(open(c.image));
        EXPECT_FALSE(image_check_payload_crc());
        EXPECT_FALSE(image_is_release());
        EXPECT_FALSE(image_check_embedded_crc());
    }
    EXPECT_FALSE(image_open(dir.file("missing.hhf"), IMAGE_SYSTEM_PROGRAM));
}

TEST_F(ImageTest, PayloadCheckNeedsExactLengthAndChecksum) {
    const std::string valid = build_load_image({});
    std::string flipped = valid;
    flip_byte(flipped, payload_at(0x1800));
    struct Case {
        const char* name;
        std::string image;
    };
    const Case cases[] = {
        {"one byte more than declared (checksum over the declared length matches)", valid + "x"},
        {"one byte less than declared", truncated(valid, valid.size() - 1)},
        {"a payload byte changed", flipped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open(c.image));
        EXPECT_FALSE(image_check_payload_crc());
        EXPECT_FALSE(image_payload_checked());
        EXPECT_TRUE(image_is_release()) << "a failed payload check keeps the header valid";
    }
}

TEST_F(ImageTest, OnlyMarkerEightIsRelease) {
    for (uint32_t release : {7u, 8u, 9u, 0u}) {
        SCOPED_TRACE(release);
        ASSERT_TRUE(open(build_load_image({.release = release})));
        EXPECT_EQ(image_is_release(), release == 8);
    }
}

TEST_F(ImageTest, EmbeddedCheckRejects) {
    std::string text_past_region = build_load_image({});
    set_be32(text_past_region, hdr_embedded_crc_offset, 0x2000 - 9);
    reseal_load_image_header(text_past_region);
    std::string not_elf = build_load_image({.elf = false, .payload_size = 5000});
    set_be32(not_elf, hdr_embedded_crc_offset, 0x100);
    reseal_load_image_header(not_elf);
    using Patches = std::vector<std::pair<uint32_t, uint8_t>>;
    struct Case {
        const char* name;
        std::string image;
    };
    const Case cases[] = {
        {"final value in the text instead of the register", build_load_image({.embedded = EmbeddedCrc::final_value})},
        {"no embedded checksum", build_load_image({.embedded = EmbeddedCrc::none})},
        {"no writable section", build_load_image({.writable_section = false})},
        {"empty section table",
         build_load_image({.payload_patches = Patches{{elf_section_count_offset, 0}, {elf_section_count_offset + 1, 0}}})},
        {"section table beyond the end of the file",
         build_load_image({.payload_patches = Patches{{32, 0}, {33, 0}, {34, 0}, {35, 0x7F}}})},
        {"bad ELF magic", build_load_image({.payload_patches = Patches{{1, 'e'}}})},
        {"ELF class 3", build_load_image({.elf_class = 3})},
        {"ELF data encoding 3", build_load_image({.payload_patches = Patches{{elf_data_offset, 3}}})},
        {"ELF version 2", build_load_image({.payload_patches = Patches{{elf_version_offset, 2}}})},
        {"text reaching past the checked region", text_past_region},
        {"payload that is not an ELF file", not_elf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open(c.image));
        EXPECT_TRUE(image_check_payload_crc());
        EXPECT_FALSE(image_check_embedded_crc());
    }
}

// The checked region ends at the first writable section rounded up to 4096:
// a byte just before that end counts, the byte at the end does not.
TEST_F(ImageTest, CheckedRegionEndsAtWritableSectionRoundedUpToPage) {
    struct Case {
        uint32_t writable_offset;
        uint32_t region_end;
    };
    for (const Case c : {Case{0x1234, 0x2000}, Case{0x3000, 0x3000}}) {
        for (bool big_endian : {false, true}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.writable_offset << (big_endian ? " big" : " little"));
            const std::string valid =
                build_load_image({.elf_big_endian = big_endian, .writable_offset = c.writable_offset});
            std::string inside = valid;
            flip_byte(inside, payload_at(c.region_end - 1));
            std::string outside = valid;
            flip_byte(outside, payload_at(c.region_end));
            ASSERT_TRUE(open(inside));
            EXPECT_FALSE(image_check_embedded_crc());
            ASSERT_TRUE(open(outside));
            EXPECT_TRUE(image_check_embedded_crc());
        }
    }
}

}  // namespace
