#include "formats/map_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "formats/byte_order.h"
#include "output/log.h"
#include "platform/files.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "support/scripted_window.h"
#include "support/temp_dir.h"

namespace {

// Both readers check the same file; one keeps the data section.
enum class Reader { read, verify };

int64_t run(Reader reader, const std::string& path, std::unique_ptr<uint8_t[]>& data) {
    return reader == Reader::read ? read_map_file(path, data) : verify_map_file(path);
}

class MapFileTest : public ::testing::TestWithParam<Reader> {
protected:
    void SetUp() override {
        map_file_reset();
        script_reset();
        log_open_path(dir.file("Loader.LOG"));
    }
    void TearDown() override {
        log_close();
        EXPECT_EQ(script_pending(), 0u) << "an expected message box was not shown";
    }

    // The log is a text file: lines end in CR LF on Windows.
    std::string log_text() const {
        std::string text = read_whole_file(dir.file("Loader.LOG"));
        std::erase(text, '\r');
        return text;
    }

    int64_t check(const std::string& bytes) { return run(GetParam(), path = dir.write("nav.dat", bytes), data); }

    TempDir dir;
    std::string path;
    std::unique_ptr<uint8_t[]> data;
};

// The data section starts right after the 64-byte header and 256-byte info.
constexpr std::size_t data_at = map_header_size + map_info_size;

TEST_P(MapFileTest, ValidFileLeavesLengthVersionAndDataChecksum) {
    for (uint32_t padding : {0u, 1u, 256u, 257u, 600u}) {
        SCOPED_TRACE(padding);
        const MapFileRecipe recipe{.version = 2405, .data = filler_bytes(20000, padding), .padding = padding};
        ASSERT_EQ(check(build_map_file(recipe)), 20000);
        const MapFileState& state = map_file_state();
        EXPECT_EQ(state.map_version, 2405u);
        EXPECT_EQ(get_be32(state.map_info + map_info_data_length_offset), 20000u);
        EXPECT_EQ(get_be32(state.map_info + map_info_data_crc_offset), crc_register_of(recipe.data));
        EXPECT_EQ(get_be32(state.map_info + map_version_offset), 2405u) << "the rest of the info copy is as read";
        if (GetParam() == Reader::read) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(data.get()), 20000), recipe.data);
        }
    }
    EXPECT_TRUE(script_boxes().empty());
}

TEST_P(MapFileTest, EmptyDataSection) {
    EXPECT_EQ(check(build_map_file({.data = ""})), 0);
    EXPECT_EQ(get_be32(map_file_state().map_info + map_info_data_crc_offset), 0xFFFFFFFFu);
}

TEST_P(MapFileTest, MissingFileFailsWithoutMessage) {
    EXPECT_EQ(run(GetParam(), dir.file("none.dat"), data), -1);
    EXPECT_TRUE(script_boxes().empty());
}

// Every failure shows one task-modal error box and logs the same text.
TEST_P(MapFileTest, BadFileGivesItsMessage) {
    const MapFileRecipe recipe{.data = filler_bytes(10000), .padding = 600};
    const std::string valid = build_map_file(recipe);
    const std::size_t trailer_at = data_at + recipe.data.size();
    const std::size_t padding_at = trailer_at + map_trailer_size;
    auto changed = [&valid](std::function<void(std::string&)> change) {
        std::string file = valid;
        change(file);
        reseal_map_file(file);
        return file;
    };
    const std::string whole_pieces = build_map_file({.data = recipe.data, .padding = 512});
    // A file that ends early is no error of the system: its text says so, in
    // place of the system's text for error number 0.
    auto short_file = [&](int step) {
        return "The file ends before its stated length on File " + path + " (" + std::to_string(step) + ")";
    };
    struct Case {
        const char* name;
        std::string file;
        std::function<std::string()> text;
        const char* caption;
    };
    const Case cases[] = {
        {"shorter than the header", truncated(valid, 40), [&] { return short_file(1); }, "Read Error"},
        {"format 2", changed([](std::string& f) { set_le32(f, map_format_offset, 2); }),
         [] { return std::string("Map File Format Conflict 2"); }, "Error"},
        {"ends inside the info section", truncated(valid, 200), [&] { return short_file(2); }, "Read Error"},
        {"ends inside the data section", truncated(valid, data_at + 9000), [&] { return short_file(3); },
         "Read Error"},
        {"data length far beyond the end of the file",
         changed([](std::string& f) { set_le32(f, map_data_length_offset, 0xFFFFFFF0u); }),
         [&] { return short_file(3); }, "Read Error"},
        {"ends inside the trailer", truncated(valid, trailer_at + 1000), [&] { return short_file(4); },
         "Read Error"},
        {"file length field smaller than data and fixed parts",
         changed([](std::string& f) { set_le32(f, map_file_length_offset, 100); }), [&] { return short_file(5); },
         "Error"},
        {"ends inside the padding", truncated(valid, padding_at + 300), [&] { return short_file(5); }, "Error"},
        {"ends inside the last padding piece", truncated(valid, padding_at + 550), [&] { return short_file(6); },
         "Error"},
        {"ends inside the last of whole padding pieces", truncated(whole_pieces, padding_at + 300),
         [&] { return short_file(6); }, "Error"},
        {"ends inside the checksum", truncated(valid, valid.size() - 2), [&] { return short_file(7); },
         "Read Error"},
        {"checksum stored as standard CRC-32 instead of the register",
         [&valid] {
             std::string f = valid;
             set_le32(f, f.size() - 4, ~le32_at(f, f.size() - 4));
             return f;
         }(),
         [&] { return "CRC Error on File " + path; }, "Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script_reset();
        path = dir.file("nav.dat");
        const std::string text = c.text();
        script_expect_box(text, c.caption);
        EXPECT_EQ(check(c.file), -1);
        ASSERT_EQ(script_boxes().size(), 1u);
        EXPECT_EQ(script_boxes()[0].icon, BoxIcon::error);
        EXPECT_EQ(script_boxes()[0].buttons, BoxButtons::ok);
        EXPECT_NE(log_text().find(text + "\n"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, MapFileTest, ::testing::Values(Reader::read, Reader::verify),
                         [](const auto& info) { return info.param == Reader::read ? "read" : "verify"; });

}  // namespace
