#include "catalogue/earlier_generation_files.h"

#include <functional>
#include <vector>

#include "catalogue/system_file_reader.h"
#include "catalogue_fixture.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"

namespace {

std::string fill(std::string form, const std::string& value) { return form.replace(form.find("%s"), 2, value); }

// The first 16 bytes of an image declaring `length`, as text.
std::string header_text(uint32_t length) {
    std::string header(16, '\0');
    set_be32(header, 8, length);
    return hex_text(header);
}

class EarlierTest : public CatalogueTest {
protected:
    std::string system_file(const std::string& text) { return top.write("system.hex", text); }
    std::string parameter_file() const { return top.file("Param_1.dat"); }
    // Runs the checks of Next expecting these error boxes in turn.
    bool next(const EarlierChoice& choice, const std::vector<std::string>& errors) {
        script_reset();
        for (const std::string& text : errors) script_expect_box(text, "Error");
        const bool ended = earlier_check_next(choice);
        EXPECT_EQ(script_boxes().size(), errors.size());
        return ended;
    }
};

TEST_F(EarlierTest, SystemFileReaderFormsBytesFromDigitPairs) {
    struct Case {
        const char* name;
        std::string text;
        int64_t result;
        std::string image_start;  // the first bytes expected in the image
    };
    const Case cases[] = {
        {"pairs split by blanks and line breaks", header_text(272) + std::string(256, '7'), 272, ""},
        {"cases mix within a byte; other letters count nothing",
         header_text(20) + "aB;Fc:Gz,0Q-0g", 20, std::string("\xAB\xFC\x00\x00", 4)},
        {"a file that ends after the header", header_text(100), -1, ""},
        {"a file that ends early keeps zeros", header_text(40) + "11", 40, std::string("\x11\x00", 2)},
        {"the largest image is read", header_text(6291456) + "01", 6291456, std::string("\x01", 1)},
        {"one byte more is refused before any room is made", header_text(6291457) + "01", 6291457, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script_reset();
        EXPECT_EQ(read_system_file(system_file(c.text)), c.result);
        const auto& image = system_image();
        if (c.result > 0 && c.result <= max_system_image_size) {
            ASSERT_EQ(image.size(), std::size_t(c.result) + 1024);
            EXPECT_EQ(std::string(image.begin() + 16, image.begin() + 16 + c.image_start.size()), c.image_start);
        } else {
            EXPECT_TRUE(image.empty());
        }
    }
    EXPECT_NE(log_text().find("Read System Software file...\n" + top.file("system.hex") + "\n"), std::string::npos);
}

TEST_F(EarlierTest, SystemFileHeaderShorterThanItselfIsRefused) {
    script_expect_box("Invalid header (says 15 bytes)", "Error");
    EXPECT_EQ(read_system_file(system_file(header_text(15) + "0102")), -1);
    EXPECT_EQ(read_system_file(top.file("missing.hex")), -1);
    EXPECT_EQ(script_boxes().size(), 1u);
}

TEST_F(EarlierTest, SystemSoftwareChecksOfNext) {
    const auto choice = [&](const std::string& image_bytes) {
        return EarlierChoice{LF_SYSTEM_SOFTWARE, system_file(hex_text(image_bytes)), "", parameter_file()};
    };
    const std::string path = top.file("system.hex");
    struct Case {
        const char* name;
        SystemImageRecipe recipe;
        std::function<void(std::string&)> defect;
        std::string error;
    };
    const Case cases[] = {
        {"checksum at 244", {}, {}, ""},
        {"checksum at 212, length from 16", {.checksum = ImageChecksumWord::at_212, .checked_length = 600}, {}, ""},
        {"checksum at 224", {.checksum = ImageChecksumWord::at_224}, {}, ""},
        {"no control block checksum", {.control_block_bytes = 0}, {}, ""},
        {"a payload byte changed", {}, [](std::string& i) { flip_byte(i, 700); }, fill("File '%s' has CRC Error.", path)},
        {"the checksum covers only the declared length",
         {.checksum = ImageChecksumWord::at_212, .checked_length = 600},
         [](std::string& i) { flip_byte(i, 700); }, ""},
        {"control block checksum over 252 bytes", {.control_block_bytes = 252}, {},
         fill("File '%s' Control Block CRC Error.", path)},
        {"too short to hold a control block", {.length = 200, .control_block_bytes = 0}, {},
         fill("File Error on '%s'.", path)},
        {"control block declaring more than the file", {.checksum = ImageChecksumWord::at_212, .checked_length = 600},
         [](std::string& i) { set_be32(i, 16, 5000); }, fill("File Error on '%s'.", path)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = build_system_image(c.recipe);
        if (c.defect) c.defect(image);
        EXPECT_EQ(next(choice(image), c.error.empty() ? std::vector<std::string>{} : std::vector{c.error}),
                  c.error.empty());
    }
    EXPECT_FALSE(file_exists(parameter_file())) << "the parameter file is only shown to be writable";

    EXPECT_FALSE(next({LF_SYSTEM_SOFTWARE, "", "", parameter_file()},
                      {"Need to select Program file name before proceeding"}));
    EXPECT_FALSE(next({LF_SYSTEM_SOFTWARE, top.file("missing.hex"), "", parameter_file()},
                      {fill("Couldn't open '%s'.", top.file("missing.hex"))}));
    const std::string unwritable = top.file("no folder") + path_separator + "p.dat";
    EXPECT_FALSE(next({LF_SYSTEM_SOFTWARE, system_file(hex_text(build_system_image({}))), "", unwritable},
                      {fill("Could not create '%s'.", unwritable)}));
    EXPECT_FALSE(next({LF_SYSTEM_SOFTWARE, std::string(260, 'x'), "", parameter_file()},
                      {"Path too long (more than 259 characters): " + std::string(260, 'x')}));
}

TEST_F(EarlierTest, OversizedSystemImageIsRefusedWithItsOwnCaption) {
    script_expect_box("System Software too large for available space.", "System Software Size Error");
    EXPECT_FALSE(earlier_check_next({LF_SYSTEM_SOFTWARE, system_file(header_text(6291457) + "00"), "", parameter_file()}));
    EXPECT_NE(log_text().find("Program too large for available space.\n"), std::string::npos);
}

TEST_F(EarlierTest, DatabaseChecksOfNext) {
    const TerrainPair pair = build_terrain_pair({.generation = TerrainGeneration::earlier});
    const std::string data = top.write("t1_tdata.bin", pair.data_file);
    top.write("t1_theader.bin", pair.info_file);
    const std::string lone = top.write("t2_tdata.bin", pair.data_file);
    EXPECT_TRUE(next({LF_TERRAIN, "", data, ""}, {}));
    EXPECT_EQ(earlier_terrain_header_file(), top.file("t1_theader.bin"));
    EXPECT_EQ(earlier_terrain_data_file(), data) << "the typed file is the one the data phase sends";
    EXPECT_FALSE(next({LF_TERRAIN, "", lone, ""}, {fill("Could not read terrain header file '%s'.",
                                                        top.file("t2_theader.bin"))}));
    EXPECT_FALSE(next({LF_TERRAIN, "", top.file("terrain.bin"), ""}, {"Need to select a valid terrain file"}));
    EXPECT_FALSE(next({LF_TERRAIN, "", "", ""}, {"Need to select Terrain file name before proceeding"}));

    const std::string map = top.write("a.bin", build_map_file({}));
    EXPECT_TRUE(next({LF_AIRPORT, "", map, ""}, {}));
    EXPECT_EQ(earlier_airport_size(), 3000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(earlier_airport_data()), 3), "ddd");
    EXPECT_FALSE(next({LF_AIRPORT, "", "", ""}, {"Need to select Map file name before proceeding"}));
}

TEST_F(EarlierTest, ConfigurationChecksOfNext) {
    const std::string in_new_folder = top.file("Configs") + path_separator + "unit.dat";
    EXPECT_TRUE(next({LF_READ_CONFIG, "", "", in_new_folder}, {}));
    EXPECT_TRUE(folder_exists(top.file("Configs")));
    const std::string kept = top.write("kept.dat", "0x01\n");
    EXPECT_TRUE(next({LF_READ_CONFIG, "", "", kept}, {}));
    EXPECT_EQ(read_whole_file(kept), "0x01\n");

    const std::string empty = top.write("empty.dat", "");
    for (LoaderFunction function : {LF_WRITE_CONFIG, LF_HASS_CONFIG, LF_NO_GAMMA_CONFIG}) {
        SCOPED_TRACE(function);
        EXPECT_TRUE(next({function, "", "", kept}, {}));
        EXPECT_FALSE(next({function, "", "", top.file("none.dat")},
                          {fill("Could not find Configuration data file\n'%s'.", top.file("none.dat"))}));
        EXPECT_FALSE(next({function, "", "", empty},
                          {fill("Configuration data file\n'%s' has zero length\n\nDo not use!", empty)}));
    }
    EXPECT_FALSE(next({LF_OBSTACLE, "", "", ""}, {"No Transfer Selected"}));
}

TEST_F(EarlierTest, PreselectionOffersTheNewestUntilTheTechnicianPicks) {
    put("System Files", "old.hex", 1);
    put("System Files", "new.HEX", 9);
    put("System Files", "newer.txt", 20);
    put("Airport Files", "b.bin", 3);
    put("Airport Files", "a.bin", 3);
    put("Terrain Files", "x_tdata.bin", 1);
    put("Terrain Files", "x_theader.bin", 5);
    earlier_preselect(top.path());
    EXPECT_EQ(earlier_system_file(), folder("System Files") + path_separator + "new.HEX");
    EXPECT_EQ(earlier_airport_file(), folder("Airport Files") + path_separator + "a.bin") << "equal times: name order";
    EXPECT_EQ(earlier_terrain_data_file(), folder("Terrain Files") + path_separator + "x_tdata.bin");

    put("System Files", "newest.hex", 30);
    put("Airport Files", "c.bin", 30);
    mark_system_file_picked();
    earlier_preselect(top.path());
    EXPECT_EQ(earlier_system_file(), folder("System Files") + path_separator + "new.HEX");
    EXPECT_EQ(earlier_airport_file(), folder("Airport Files") + path_separator + "c.bin");
    mark_database_file_picked();
    set_earlier_airport_file("chosen.bin");
    earlier_preselect(top.path());
    EXPECT_EQ(earlier_airport_file(), "chosen.bin");

    earlier_generation_reset();
    use_new_root("empty");
    earlier_preselect(root);
    EXPECT_EQ(earlier_system_file(), "");
}

}  // namespace
