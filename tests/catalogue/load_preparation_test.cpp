#include "catalogue/load_preparation.h"

#include <functional>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/parameter_file.h"
#include "catalogue/unit_names.h"
#include "catalogue/upload_settings.h"
#include "catalogue_fixture.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"

namespace {

const std::string pgm = "System Files";
const std::string version = "2.1.hhf";

// The message form with its "%s" filled in.
std::string fill(std::string form, const std::string& value) {
    return form.replace(form.find("%s"), 2, value);
}

struct Box {
    std::string text;
    std::string caption = "Error";
    BoxIcon icon = BoxIcon::error;
};

class PreparationTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        set_unit_names({"0000abcd", "Params_SN0000abcd.dat"});
    }
    std::string path(const std::string& folder_name, const std::string& name) const {
        return folder(folder_name) + path_separator + name;
    }
    std::string image(uint32_t type, const std::function<void(LoadImageRecipe&)>& change = {}) {
        LoadImageRecipe recipe{.type = type};
        if (change) change(recipe);
        return build_load_image(recipe);
    }
    void put_system_software() {
        put(pgm, "rk5200h_" + version, 1, image(IMAGE_SYSTEM_PROGRAM));
        put(pgm, "rk5200h_io_" + version, 1, image(IMAGE_SYSTEM_PROGRAM));
        put(pgm, "rk5200h_start_" + version, 1, image(IMAGE_SYSTEM_PROGRAM));
    }
    // Enters the setup page, prepares, and checks the boxes shown on the way.
    bool prepare(LoaderFunction function, const std::vector<Box>& boxes) {
        enter();
        for (const Box& box : boxes) script_expect_box(box.text, box.caption);
        const bool ready = prepare_load(function);
        const auto& shown = script_boxes();
        EXPECT_EQ(shown.size(), boxes.size());
        for (std::size_t i = 0; i < std::min(shown.size(), boxes.size()); ++i) {
            EXPECT_EQ(shown[i].icon, boxes[i].icon) << shown[i].text;
            EXPECT_EQ(shown[i].buttons, BoxButtons::ok) << shown[i].text;
            EXPECT_NE(log_text().find(boxes[i].text), std::string::npos) << "logged: " << boxes[i].text;
        }
        EXPECT_EQ(ready, load_ready());
        return ready;
    }
};

TEST_F(PreparationTest, SystemSoftwareChecksEachProgramInTurn) {
    struct Case {
        const char* name;
        const char* file;  // the program given the defect
        std::function<void(LoadImageRecipe&)> defect;  // none: a payload byte changed
        std::vector<std::string> texts;
        const char* caption;
    };
    const std::string main_name = "rk5200h_" + version;
    const std::string io_name = "rk5200h_io_" + version;
    const std::string start_name = "rk5200h_start_" + version;
    const Case cases[] = {
        {"a valid set", nullptr, {}, {}, ""},
        {"main program with a wrong payload checksum", "", {}, {"File CRC check failed for '%s'."}, "Error"},
        {"I/O program with a wrong payload checksum", "io_", {}, {"File CRC check failed for '%s'."}, "Error"},
        {"main program not a release", "", [](LoadImageRecipe& s) { s.release = 7; },
         {"ERROR : '%s' is NOT a release software version."}, "ERROR"},
        {"main program with a bad embedded checksum", "",
         [](LoadImageRecipe& s) { s.embedded = EmbeddedCrc::final_value; }, {"ERROR : '%s' BAD embedded CRC."}, "ERROR"},
        {"I/O program of the wrong type", "io_", [](LoadImageRecipe& s) { s.type = IMAGE_OS; },
         {"Failed to open file '%s'."}, "Error"},
        {"start-up program's embedded checksum is not checked", "start_",
         [](LoadImageRecipe& s) { s.embedded = EmbeddedCrc::final_value; }, {}, ""},
        {"start-up program not a release", "start_", [](LoadImageRecipe& s) { s.release = 9; },
         {"ERROR : '%s' is NOT a release software version."}, "ERROR"},
    };
    put_system_software();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script_reset();
        put_system_software();
        std::string defective;
        if (c.file) {
            defective = path(pgm, "rk5200h_" + std::string(c.file) + version);
            std::string bytes = image(IMAGE_SYSTEM_PROGRAM, c.defect);
            if (!c.defect) flip_byte(bytes, load_image_header_size + 9);
            put(pgm, "rk5200h_" + std::string(c.file) + version, 1, bytes);
        }
        std::vector<Box> boxes;
        for (const std::string& text : c.texts) boxes.push_back({fill(text, defective), c.caption});
        EXPECT_EQ(prepare(LF_SYSTEM_SOFTWARE, boxes), boxes.empty());
        EXPECT_EQ(catalogue_ready(CAT_SYSTEM_SOFTWARE), boxes.empty());
        if (boxes.empty()) {
            EXPECT_EQ(prepared_files(), (std::vector<std::string>{path(pgm, main_name), path(pgm, io_name),
                                                                  path(pgm, start_name)}));
        }
    }
}

TEST_F(PreparationTest, UpdateCompanionsNeverBlockTheLoad) {
    put_system_software();
    struct Case {
        const char* name;
        std::string execs;  // empty: no file
        std::string data;
        bool execs_present;
        bool data_present;
        std::vector<Box> boxes;
    };
    const std::string good = image(IMAGE_UPDATE_PAYLOAD, [](LoadImageRecipe& s) { s.elf = false; });
    std::string bad_payload = good;
    flip_byte(bad_payload, load_image_header_size + 3);
    const std::string wrong_type = image(IMAGE_SYSTEM_PROGRAM);
    const Case cases[] = {
        {"none", "", "", false, false, {}},
        {"both", good, good, true, true, {}},
        {"scripts with a bad payload are warned about", bad_payload, bad_payload, false, false,
         {{"WARNING : 'update_execs_" + version + "' payload CRC failed. Will not load.", "CRC FAILED",
           BoxIcon::warning},
          {"WARNING : 'update_data_" + version + "' payload CRC failed. Will not load.", "CRC FAILED",
           BoxIcon::warning}}},
        {"a header that does not validate is silently absent", wrong_type, good, false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script_reset();
        image_reset();
        std::remove(path(pgm, "update_execs_" + version).c_str());
        std::remove(path(pgm, "update_data_" + version).c_str());
        if (!c.execs.empty()) put(pgm, "update_execs_" + version, 1, c.execs);
        if (!c.data.empty()) put(pgm, "update_data_" + version, 1, c.data);
        EXPECT_TRUE(prepare(LF_SYSTEM_SOFTWARE, c.boxes));
        EXPECT_EQ(update_execs_present(), c.execs_present);
        EXPECT_EQ(update_data_present(), c.data_present);
        EXPECT_EQ(update_execs_path(), c.execs_present ? path(pgm, "update_execs_" + version) : "");
    }
}

TEST_F(PreparationTest, EmptyCataloguesAreRefusedWithTheirFolder) {
    struct Case {
        LoaderFunction function;
        CatalogueKind kind;
        const char* form;
        const char* folder;
    };
    const Case cases[] = {
        {LF_SYSTEM_SOFTWARE, CAT_SYSTEM_SOFTWARE, "No loadable programs found in: '%s'.", "System Files"},
        {LF_OS_IMAGE, CAT_OS_IMAGES, "No loadable OS Images found in: '%s'.", "System Files"},
        {LF_BOOT_IMAGE, CAT_BOOT_PROGRAM, "No loadable boot program found in: '%s'.", "System Files"},
        {LF_TERRAIN, CAT_TERRAIN, "No loadable terrain found in: '%s'.", "Terrain Files"},
        {LF_AIRPORT, CAT_AIRPORT, "No loadable nav files found in: '%s'.", "Airport Files"},
        {LF_OBSTACLE, CAT_OBSTACLE, "No loadable obstacles found in: '%s'.", "Obstacle Files"},
        {LF_OVERLAY, CAT_OVERLAY, "No loadable overlays found in: '%s'.", "Overlay Files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        script_reset();
        set_catalogue_ready(c.kind, true);
        EXPECT_FALSE(prepare(c.function, {{fill(c.form, folder(c.folder))}}));
        EXPECT_FALSE(catalogue_ready(c.kind));
    }
    EXPECT_FALSE(prepare_load(LF_READ_CONFIG)) << "no files to prepare";
}

TEST_F(PreparationTest, BackupGoesToThisUnitsOwnFileAndLeavesItIntact) {
    put_system_software();
    put("Parameter Files", "Params_SN0000abcd.dat", 1, "previous backup\n");
    put("Parameter Files", "Params_SN99999999.dat", 5, "another unit\n");
    EXPECT_TRUE(prepare(LF_SYSTEM_SOFTWARE, {}));
    EXPECT_EQ(parameter_file_path(), path("Parameter Files", "Params_SN0000abcd.dat"));
    EXPECT_EQ(read_whole_file(parameter_file_path()), "previous backup\n");
    EXPECT_EQ(read_whole_file(path("Parameter Files", "Params_SN99999999.dat")), "another unit\n");

    std::remove(parameter_file_path().c_str());
    EXPECT_TRUE(prepare(LF_SYSTEM_SOFTWARE, {}));
    EXPECT_EQ(parameter_file_name(), "Params_SN0000abcd.dat") << "not the other unit's newer file";
    EXPECT_FALSE(file_exists(parameter_file_path())) << "only shown to be writable";

    unit_names_reset();
    EXPECT_TRUE(prepare(LF_SYSTEM_SOFTWARE, {}));
    EXPECT_EQ(parameter_file_name(), "Param_temp.dat");
}

TEST_F(PreparationTest, UnwritableParameterFolderIsRefusedBeforeAnyImageIsOpened) {
    const std::string missing = top.file("no such folder");
    top.write("upload.cfg", "PRM_DIR=" + missing + "\n");
    put(pgm, "rk5200h_" + version, 1, "not an image");
    put(pgm, "rk5200h_io_" + version, 1, "not an image");
    put(pgm, "rk5200h_start_" + version, 1, "not an image");
    put(pgm, "u_boot_1.hhf", 1, "not an image");
    const std::string backup = missing + path_separator + "Params_SN0000abcd.dat";
    EXPECT_FALSE(prepare(LF_SYSTEM_SOFTWARE, {{fill("Could not create '%s'.", backup)}}));
    script_reset();
    EXPECT_FALSE(prepare(LF_BOOT_IMAGE, {{fill("Could not create '%s'.", backup)}}));
    EXPECT_FALSE(catalogue_ready(CAT_BOOT_PROGRAM));
}

TEST_F(PreparationTest, OsAndBootImagesNeedOnlyAValidHeader) {
    const std::string os_version = "5.hhf";
    const auto put_os = [&](uint32_t rootfs_type) {
        put(pgm, "uImage_" + os_version, 1, image(IMAGE_OS));
        put(pgm, "foo_dtb_" + os_version, 1, image(IMAGE_OS, [](LoadImageRecipe& s) { s.release = 1; }));
        put(pgm, "ubi_img_" + os_version, 1, image(rootfs_type));
    };
    put_os(IMAGE_OS);
    EXPECT_TRUE(prepare(LF_OS_IMAGE, {}));
    EXPECT_TRUE(catalogue_ready(CAT_OS_IMAGES));
    EXPECT_EQ(prepared_files(), (std::vector<std::string>{path(pgm, "uImage_5.hhf"), path(pgm, "foo_dtb_5.hhf"),
                                                          path(pgm, "ubi_img_5.hhf")}));
    image_reset();
    put_os(IMAGE_SYSTEM_PROGRAM);
    EXPECT_FALSE(prepare(LF_OS_IMAGE, {{fill("Failed to open file '%s'.", path(pgm, "ubi_img_5.hhf"))}}));
    EXPECT_TRUE(catalogue_ready(CAT_OS_IMAGES)) << "an OS image failure leaves the kind's flag";

    script_reset();
    put(pgm, "u_boot_3.hhf", 1, image(IMAGE_BOOT, [](LoadImageRecipe& s) { s.payload_patches = {{1, 1}}; }));
    EXPECT_TRUE(prepare(LF_BOOT_IMAGE, {}));
    image_reset();
    put(pgm, "u_boot_3.hhf", 1, image(IMAGE_OS));
    EXPECT_FALSE(prepare(LF_BOOT_IMAGE, {{fill("Failed to open file '%s'.", path(pgm, "u_boot_3.hhf"))}}));
    EXPECT_FALSE(catalogue_ready(CAT_BOOT_PROGRAM));
}

TEST_F(PreparationTest, TerrainReadsHeaderThenData) {
    const std::string name = "61734-TDB-2024-00001";
    const std::string info_path = path("Terrain Files", name + "_header.bin");
    const std::string data_path = path("Terrain Files", name + "_data.bin");
    struct Case {
        const char* name;
        bool break_info;
        bool break_data;
    };
    const Case cases[] = {{"valid pair", false, false}, {"broken header file", true, false},
                          {"data file from another database", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script_reset();
        TerrainPair pair = build_terrain_pair({});
        if (c.break_info) flip_byte(pair.info_file, 300);
        if (c.break_data) pair.data_file = build_terrain_pair({.version = 2025}).data_file;
        put("Terrain Files", name + "_header.bin", 1, pair.info_file);
        put("Terrain Files", name + "_data.bin", 1, pair.data_file);
        std::vector<Box> boxes;
        if (c.break_info || c.break_data)
            boxes.push_back({fill("Could not read terrain header file '%s'.", c.break_info ? info_path : data_path)});
        EXPECT_EQ(prepare(LF_TERRAIN, boxes), boxes.empty());
        EXPECT_EQ(terrain_phase(), 0);
        EXPECT_EQ(prepared_files(), (std::vector<std::string>{info_path, data_path}));
    }
}

TEST_F(PreparationTest, AirportFileIsVerifiedAndItsSizeKept) {
    put("Airport Files", "61734-NDB-2301-00017.bin", 1, build_map_file({}));
    EXPECT_TRUE(prepare(LF_AIRPORT, {}));
    EXPECT_EQ(prepared_database_size(), 3000);

    std::string broken = build_map_file({});
    flip_byte(broken, 400);
    put("Airport Files", "61734-NDB-2301-00017.bin", 1, broken);
    script_reset();
    EXPECT_FALSE(prepare(LF_AIRPORT, {{"CRC Error on File " + path("Airport Files", "61734-NDB-2301-00017.bin")},
                                      {"Could not read airport file '61734-NDB-2301-00017'."}}));
}

TEST_F(PreparationTest, SectionedFileFailuresNameTheirReason) {
    struct Case {
        int code;
        std::function<void(std::string&)> defect;
        const char* obstacle;
        const char* overlay;
    };
    const Case cases[] = {
        {0, [](std::string&) {}, nullptr, nullptr},
        {-2, [](std::string& f) { f = truncated(f, 100); }, "Failed read of Obstacle File Header.",
         "Failed read of Overlay File Header."},
        {-3, [](std::string& f) { flip_byte(f, 20); }, "CRC Failed : Obstacle File Header.",
         "CRC Failed : Overlay File Header."},
        {-4, [](std::string& f) { f = truncated(f, 300); }, "Failed read of Obstacle File Info.",
         "Failed read of Overlay File Info."},
        {-5, [](std::string& f) { flip_byte(f, 300); }, "CRC Failed : Obstacle File Info Section.",
         "CRC Failed : Overlay File Info Section."},
        {-6, [](std::string& f) { f = truncated(f, f.size() - 1); }, "Failed read of Obstacle File Data.",
         "Failed read of Overlay File Data."},
        {-7, [](std::string& f) { flip_byte(f, f.size() - 1); }, "CRC Failed : Obstacle File Data Section.",
         "CRC Failed : Overlay File Data Section."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        std::string file = build_sectioned_file({});
        c.defect(file);
        put("Obstacle Files", "61734-ODB-0001-00001.bin", 1, file);
        put("Overlay Files", "61734-GDB-0001-00001.bin", 1, file);
        script_reset();
        std::vector<Box> boxes;
        if (c.obstacle) boxes.push_back({fill("Obstacle File Error - '%s'.", c.obstacle)});
        EXPECT_EQ(prepare(LF_OBSTACLE, boxes), boxes.empty());
        script_reset();
        boxes.clear();
        if (c.overlay) boxes.push_back({fill("Overlay File Error - '%s'.", c.overlay)});
        EXPECT_EQ(prepare(LF_OVERLAY, boxes), boxes.empty());
    }
}

}  // namespace
