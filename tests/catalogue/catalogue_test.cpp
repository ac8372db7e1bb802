#include "catalogue/catalogue.h"

#include <cstdio>
#include <vector>

#include "catalogue/parameter_file.h"
#include "catalogue/upload_settings.h"
#include "catalogue/unit_names.h"
#include "catalogue/version_select.h"
#include "catalogue_fixture.h"

namespace {

const std::string pgm = "System Files";

struct TimedFile {
    std::string folder;
    std::string name;
    int64_t created;
};

std::vector<TimedFile> system_version(const std::string& version, int64_t created) {
    return {{pgm, "rk5200h_" + version, created},
            {pgm, "rk5200h_io_" + version, created + 1},
            {pgm, "rk5200h_start_" + version, created + 2}};
}

std::vector<TimedFile> os_version(const std::string& version, int64_t created) {
    return {{pgm, "uImage_" + version, created},
            {pgm, "foo_dtb_" + version, created},
            {pgm, "ubi_img_" + version, created}};
}

std::vector<TimedFile> operator+(std::vector<TimedFile> a, const std::vector<TimedFile>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class CandidatesTest : public CatalogueTest {
protected:
    void put_all(const std::vector<TimedFile>& files) {
        for (const TimedFile& f : files) put(f.folder, f.name, f.created);
    }
    std::vector<std::string> items(CatalogueKind kind) const {
        std::vector<std::string> texts;
        for (int i = 0; i < catalogue_count(kind); ++i) texts.push_back(catalogue_item_text(kind, i));
        return texts;
    }
};

using Texts = std::vector<std::string>;

TEST_F(CandidatesTest, FilesAreGroupedCompletedAndOrderedNewestFirst) {
    struct Case {
        const char* name;
        std::vector<TimedFile> files;
        CatalogueKind kind;
        Texts expected;
    };
    const Case cases[] = {
        {"three programs make one version", system_version("1.0.hhf", 10), CAT_SYSTEM_SOFTWARE, {"1.0.hhf"}},
        {"a version without its start-up program is dropped",
         {{pgm, "rk5200h_1.0.hhf", 1}, {pgm, "rk5200h_io_1.0.hhf", 2}}, CAT_SYSTEM_SOFTWARE, {}},
        {"the later version comes first",
         system_version("1.0.hhf", 10) + system_version("2.0.hhf", 20) + system_version("1.5.hhf", 15),
         CAT_SYSTEM_SOFTWARE, Texts{"2.0.hhf", "1.5.hhf", "1.0.hhf"}},
        {"a version is as old as its oldest file",
         std::vector<TimedFile>{{pgm, "rk5200h_A.hhf", 10}, {pgm, "rk5200h_io_A.hhf", 50},
                                {pgm, "rk5200h_start_A.hhf", 11}} + system_version("B.hhf", 20),
         CAT_SYSTEM_SOFTWARE, Texts{"B.hhf", "A.hhf"}},
        {"equal times: name order", system_version("b.hhf", 5) + system_version("A.hhf", 5), CAT_SYSTEM_SOFTWARE,
         Texts{"A.hhf", "b.hhf"}},
        {"versions differing in case are different versions",
         {{pgm, "rk5200h_1.hhf", 1}, {pgm, "rk5200h_io_1.HHF", 1}, {pgm, "rk5200h_start_1.hhf", 1}},
         CAT_SYSTEM_SOFTWARE, {}},
        {"OS images need all three", os_version("4.hhf", 4) + os_version("5.hhf", 5) +
                                         std::vector<TimedFile>{{pgm, "uImage_6.hhf", 6}, {pgm, "ubi_img_6.hhf", 6}},
         CAT_OS_IMAGES, Texts{"5.hhf", "4.hhf"}},
        {"boot program", {{pgm, "u_boot_7.hhf", 7}, {pgm, "u_boot_8.hhf", 8}}, CAT_BOOT_PROGRAM,
         Texts{"8.hhf", "7.hhf"}},
        {"terrain needs data and header",
         {{"Terrain Files", "61734-TDB-0001-00002_data.bin", 1}, {"Terrain Files", "61734-TDB-0001-00002_header.bin", 1},
          {"Terrain Files", "61734-TDB-0003-00004_data.bin", 2}},
         CAT_TERRAIN, Texts{"61734-TDB-0001-00002"}},
        {"terrain suffix must end the name",
         {{"Terrain Files", "61734-TDB-0001-00002_data.bin.old_data.bin", 1},
          {"Terrain Files", "61734-TDB-0001-00002_header.bin", 1}},
         CAT_TERRAIN, {}},
        {"airport names that almost fit",
         {{"Airport Files", "61734-NDB-2301-00017.bin", 1}, {"Airport Files", "61734-NDB-2301-000170.bin", 2},
          {"Airport Files", "61735-NDB-2301-00018.bin", 3}, {"Airport Files", "61734-ndb-2301-00019.bin", 4},
          {"Airport Files", "61734-NDB-2301_00020.bin", 5}, {"Airport Files", "61734-NDB-230-00021.bin", 6},
          {"Airport Files", "61734-NDB-2302-00001.bin.bin", 7}},
         CAT_AIRPORT, Texts{"61734-NDB-2301-00017"}},
        {"obstacles", {{"Obstacle Files", "61734-ODB-0001-00001.bin", 1}, {"Obstacle Files", "61734-ODB-0002-00001.bin", 2}},
         CAT_OBSTACLE, Texts{"61734-ODB-0002-00001", "61734-ODB-0001-00001"}},
        {"overlays in the overlay folder only",
         {{"Overlay Files", "61734-GDB-0001-00001.bin", 1}, {"Obstacle Files", "61734-GDB-0002-00001.bin", 2}},
         CAT_OVERLAY, Texts{"61734-GDB-0001-00001"}},
        {"parameter files by name", {{"Parameter Files", "b.dat", 1}, {"Parameter Files", "a.DAT", 2},
                                     {"Parameter Files", "c.txt", 3}},
         CAT_PARAMETER_FILES, Texts{"a.DAT", "b.dat"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        use_new_root("case" + std::to_string(n++));
        catalogue_reset();
        put_all(c.files);
        enter();
        EXPECT_EQ(items(c.kind), c.expected);
        EXPECT_EQ(catalogue_found(c.kind), !c.expected.empty());
        EXPECT_EQ(catalogue_ready(c.kind), !c.expected.empty());
        EXPECT_EQ(catalogue_display(c.kind), c.expected.empty() ? "" : c.expected[0]);
    }
}

TEST_F(CandidatesTest, ChoiceSurvivesRefreshesWhileTheNumberOfCandidatesStays) {
    put_all(system_version("1.hhf", 1) + system_version("2.hhf", 2) + system_version("3.hhf", 3));
    enter();
    EXPECT_EQ(version_select_items(CAT_SYSTEM_SOFTWARE), (Texts{"3.hhf", "2.hhf", "1.hhf"}));
    EXPECT_EQ(version_select_initial(CAT_SYSTEM_SOFTWARE), 0);
    EXPECT_EQ(version_select_finish(CAT_SYSTEM_SOFTWARE, 1), "2.hhf");
    EXPECT_EQ(version_select_initial(CAT_SYSTEM_SOFTWARE), 1);
    EXPECT_EQ(version_select_finish(CAT_SYSTEM_SOFTWARE, std::nullopt), "2.hhf") << "Cancel keeps the pick";
    EXPECT_EQ(version_select_finish(CAT_SYSTEM_SOFTWARE, 7), "2.hhf") << "a line beyond the list changes nothing";

    struct Step {
        const char* name;
        std::vector<TimedFile> added;
        const char* removed;
        int chosen;
    };
    const Step steps[] = {
        {"the setup page entered again", {}, nullptr, 1},
        {"a version added", system_version("4.hhf", 4), nullptr, 0},
        {"the second newest picked again", {}, nullptr, -1},
        {"a version removed", {}, "rk5200h_start_4.hhf", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        put_all(step.added);
        if (step.removed) std::remove((folder(pgm) + path_separator + step.removed).c_str());
        if (step.chosen < 0) {
            version_select_finish(CAT_SYSTEM_SOFTWARE, 1);
            continue;
        }
        enter();
        EXPECT_EQ(catalogue_chosen(CAT_SYSTEM_SOFTWARE), step.chosen);
    }
}

TEST_F(CandidatesTest, AnEmptyFolderForgetsTheChoice) {
    put_all(system_version("1.hhf", 1) + system_version("2.hhf", 2));
    enter();
    catalogue_choose(CAT_SYSTEM_SOFTWARE, 1);
    ASSERT_TRUE(set_upload_setting(PGM_DIR, folder("empty")));
    catalogue_refresh(CAT_SYSTEM_SOFTWARE);
    EXPECT_FALSE(catalogue_found(CAT_SYSTEM_SOFTWARE));
    EXPECT_FALSE(catalogue_ready(CAT_SYSTEM_SOFTWARE));
    EXPECT_EQ(catalogue_display(CAT_SYSTEM_SOFTWARE), "");
    EXPECT_EQ(version_select_items(CAT_SYSTEM_SOFTWARE), Texts{""});
    EXPECT_EQ(catalogue_candidate(CAT_SYSTEM_SOFTWARE, 0).version, "");
    ASSERT_TRUE(set_upload_setting(PGM_DIR, folder(pgm)));
    catalogue_choose(CAT_SYSTEM_SOFTWARE, 1);
    catalogue_refresh(CAT_SYSTEM_SOFTWARE);
    EXPECT_EQ(catalogue_chosen(CAT_SYSTEM_SOFTWARE), 0) << "the first refresh after nothing was found";
    catalogue_choose(CAT_SYSTEM_SOFTWARE, 1);
    catalogue_forget_choice(CAT_SYSTEM_SOFTWARE);
    catalogue_refresh(CAT_SYSTEM_SOFTWARE);
    EXPECT_EQ(catalogue_chosen(CAT_SYSTEM_SOFTWARE), 0) << "after the folder was picked again";
}

TEST_F(CandidatesTest, ThisUnitsParameterFilesComeFirst) {
    set_unit_names({"0000abcd", "Params_SN0000abcd.dat"});
    put_all({{"Parameter Files", "Params_SN0000abcd.dat", 1},
             {"Parameter Files", "Params_SN11111111.dat", 5},
             {"Parameter Files", "old_0000ABCD.dat", 0},
             {"Parameter Files", "Params_SN22222222.dat", 3}});
    enter();
    EXPECT_EQ(version_select_items(CAT_PARAMETER_FILES),
              (Texts{"Params_SN0000abcd.dat", "old_0000ABCD.dat", "Params_SN11111111.dat", "Params_SN22222222.dat"}));
    EXPECT_EQ(parameter_file_name(), "Params_SN0000abcd.dat");
    EXPECT_EQ(parameter_file_path(), folder("Parameter Files") + path_separator + "Params_SN0000abcd.dat");
}

TEST_F(CandidatesTest, ParameterChoiceIsKeptAtEntryThoughTheCountChanged) {
    put_all({{"Parameter Files", "a.dat", 1}, {"Parameter Files", "b.dat", 2}, {"Parameter Files", "c.dat", 3}});
    enter();
    EXPECT_EQ(version_select_finish(CAT_PARAMETER_FILES, 2), "a.dat");
    put("Parameter Files", "d.dat", 9);
    enter();
    EXPECT_EQ(catalogue_chosen(CAT_PARAMETER_FILES), 2);
    EXPECT_EQ(parameter_file_name(), "b.dat") << "the same index, now naming another file";
    catalogue_refresh(CAT_PARAMETER_FILES);
    EXPECT_EQ(catalogue_chosen(CAT_PARAMETER_FILES), 2) << "the entry already took the new count";
    put("Parameter Files", "e.dat", 0);
    catalogue_refresh(CAT_PARAMETER_FILES);
    EXPECT_EQ(catalogue_chosen(CAT_PARAMETER_FILES), 0) << "selecting the function again";
}

TEST_F(CandidatesTest, ParameterFileNamedAtEntryWithoutFiles) {
    enter();
    EXPECT_EQ(parameter_file_name(), "Param_temp.dat");
    set_unit_names({"00c0ffee", "Params_SN00c0ffee.dat"});
    enter();
    EXPECT_EQ(parameter_file_name(), "Params_SN00c0ffee.dat");
}

TEST_F(CandidatesTest, HassAndNoGammaAreThereOrNot) {
    put("HASS Files", "HASS.dat");
    enter();
    EXPECT_TRUE(catalogue_found(CAT_HASS));
    EXPECT_EQ(catalogue_display(CAT_HASS), "HASS.dat");
    EXPECT_FALSE(catalogue_found(CAT_NO_GAMMA));
    EXPECT_EQ(catalogue_display(CAT_NO_GAMMA), "");
    EXPECT_EQ(catalogue_count(CAT_HASS), 0);
}

TEST_F(CandidatesTest, OverriddenPatternsDriveTheScans) {
    top.write("glob_pattern_override.txt", "BOOT_BIN_SUFX = .hhf\n");
    put_all({{pgm, "u_boot_7.hhf", 7}, {pgm, "u_boot_.hhf", 8}});
    enter();
    EXPECT_EQ(version_select_items(CAT_BOOT_PROGRAM), Texts{"7"}) << "the suffix leaves the version";
}

TEST_F(CandidatesTest, FunctionsWithAListHaveACatalogue) {
    EXPECT_EQ(catalogue_of_function(LF_SYSTEM_SOFTWARE), CAT_SYSTEM_SOFTWARE);
    EXPECT_EQ(catalogue_of_function(LF_OS_IMAGE), CAT_OS_IMAGES);
    EXPECT_EQ(catalogue_of_function(LF_BOOT_IMAGE), CAT_BOOT_PROGRAM);
    EXPECT_EQ(catalogue_of_function(LF_TERRAIN), CAT_TERRAIN);
    EXPECT_EQ(catalogue_of_function(LF_AIRPORT), CAT_AIRPORT);
    EXPECT_EQ(catalogue_of_function(LF_OBSTACLE), CAT_OBSTACLE);
    EXPECT_EQ(catalogue_of_function(LF_OVERLAY), CAT_OVERLAY);
    EXPECT_EQ(catalogue_of_function(LF_READ_CONFIG), CAT_PARAMETER_FILES);
    EXPECT_EQ(catalogue_of_function(LF_WRITE_CONFIG), CAT_PARAMETER_FILES);
    EXPECT_EQ(catalogue_of_function(LF_HASS_CONFIG), std::nullopt);
    EXPECT_EQ(catalogue_of_function(LF_DOWNLOAD_RECORDING), std::nullopt);
}

}  // namespace
