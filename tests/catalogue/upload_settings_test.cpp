#include "catalogue/upload_settings.h"

#include <map>
#include <optional>

#include "catalogue_fixture.h"

namespace {

const char* const folder_keys[] = {"PGM_DIR=", "TRN_DIR=", "APT_DIR=", "OBS_DIR=", "OVL_DIR=",
                                   "PRM_DIR=", "HAS_DIR=", "NGM_DIR=", "FDR_DIR="};
const char* const default_folders[] = {"System Files",    "Terrain Files", "Airport Files",
                                       "Obstacle Files",  "Overlay Files", "Parameter Files",
                                       "HASS Files",      "NOGAMMA Files", "Recording Files"};

class UploadSettingsTest : public CatalogueTest {
protected:
    // The file as it must be written: default folders unless given, fixed order.
    std::string expected_config(const std::map<std::string, std::string>& given, int delay) const {
        std::string text;
        for (int i = 0; i < 9; ++i) {
            const auto at = given.find(folder_keys[i]);
            text += std::string(folder_keys[i]) + (at != given.end() ? at->second : folder(default_folders[i])) + "\n";
        }
        return text + "BLOCK_DLY=" + std::to_string(delay) + "\n";
    }
    std::string config_path() const { return top.file("upload.cfg"); }
};

TEST_F(UploadSettingsTest, WithoutAFileEveryFolderIsCreatedAndTheFileWrittenComplete) {
    enter();
    for (const char* name : default_folders) EXPECT_TRUE(folder_exists(folder(name))) << name;
    EXPECT_EQ(text_of(config_path()), expected_config({}, 5));
    EXPECT_EQ(upload_setting(FDR_DIR), folder("Recording Files"));
    EXPECT_EQ(upload_setting(BLOCK_DLY), "5");
    EXPECT_EQ(block_delay(), 5);
}

TEST_F(UploadSettingsTest, OddLinesAreReadAsTheyStand) {
    const std::string elsewhere = top.file("elsewhere");
    const std::string overlong(260, 'p');
    struct Case {
        const char* name;
        std::string file;
        std::map<std::string, std::string> kept;  // folder settings not defaulted
    };
    const Case cases[] = {
        {"a folder named in the file is kept", "TRN_DIR=" + elsewhere + "\n", {{"TRN_DIR=", elsewhere}}},
        {"lower-case and indented keys are no keys", "trn_dir=" + elsewhere + "\n PGM_DIR=" + elsewhere + "\n", {}},
        {"a blank after the key stays in the path", "APT_DIR= " + elsewhere + "\n", {{"APT_DIR=", " " + elsewhere}}},
        {"the later of two lines wins", "OBS_DIR=first\nOBS_DIR=" + elsewhere + "\n", {{"OBS_DIR=", elsewhere}}},
        {"any order, Windows line ends",
         "FDR_DIR=" + elsewhere + "\r\nPGM_DIR=" + elsewhere + "\r\n",
         {{"FDR_DIR=", elsewhere}, {"PGM_DIR=", elsewhere}}},
        {"a value longer than a path is ignored", "PRM_DIR=" + overlong + "\nHAS_DIR=" + elsewhere,
         {{"HAS_DIR=", elsewhere}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        upload_settings_reset();
        top.write("upload.cfg", c.file);
        enter();
        EXPECT_EQ(text_of(config_path()), expected_config(c.kept, 5));
        EXPECT_FALSE(folder_exists(elsewhere)) << "folders named in the file are never created";
    }
}

TEST_F(UploadSettingsTest, BlockDelayTakesALeadingNumberAndKeepsTheLastGoodOne) {
    struct Case {
        const char* text;
        int delay;
    };
    const Case cases[] = {
        {"20ms", 20}, {" 7", 7}, {"letters", 12}, {"-3", 12}, {"", 12}, {"99999999999", 12}, {"0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        upload_settings_reset();
        top.write("upload.cfg", "BLOCK_DLY=12\n");
        enter();
        ASSERT_EQ(block_delay(), 12);
        top.write("upload.cfg", std::string("BLOCK_DLY=") + c.text + "\n");
        enter();
        EXPECT_EQ(block_delay(), c.delay);
        EXPECT_EQ(text_of(config_path()), expected_config({}, c.delay));
    }
}

TEST_F(UploadSettingsTest, FolderPickerChangesOneSettingAndTheFileFollows) {
    enter();
    const std::string picked = top.file("picked");
    EXPECT_TRUE(set_upload_setting(APT_DIR, picked));
    EXPECT_FALSE(set_upload_setting(APT_DIR, std::string(260, 'a')));
    write_upload_config(top.path());
    EXPECT_EQ(text_of(config_path()), expected_config({{"APT_DIR=", picked}}, 5));
}

TEST_F(UploadSettingsTest, SettingsNeverReadAreNeverWritten) {
    const std::string kept = "PGM_DIR=" + top.file("mine") + "\n";
    top.write("upload.cfg", kept);
    write_upload_config(top.path());
    EXPECT_EQ(text_of(config_path()), kept) << "nothing read at program start";
    enter();
    upload_settings_clear();
    write_upload_config(top.path());
    EXPECT_EQ(text_of(config_path()), expected_config({{"PGM_DIR=", top.file("mine")}}, 5)) << "emptied, not read";
    EXPECT_NE(log_text().find("upload.cfg is not written"), std::string::npos);
}

TEST_F(UploadSettingsTest, TopLevelDirectoryTooDeepForADefaultFolderLeavesItEmpty) {
    // "Recording Files" is the longest default name: with it the path passes the bound.
    std::string deep = top.path();
    while (deep.size() + 1 + 15 <= max_path_length) deep += "d";
    ASSERT_TRUE(make_folder(deep));
    catalogue_setup_entry(deep);
    EXPECT_EQ(upload_setting(FDR_DIR), "");
    EXPECT_EQ(upload_setting(PGM_DIR), deep + path_separator + "System Files");
    EXPECT_NE(log_text().find("Path too long"), std::string::npos);
}

}  // namespace
