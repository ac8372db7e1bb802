#pragma once
// The upload settings of "upload.cfg" in the top-level directory: one folder
// per kind of file and the block delay of the image loads.
#include <string>

#include "catalogue/disk_access.h"

enum UploadSetting : int {
    PGM_DIR,
    TRN_DIR,
    APT_DIR,
    OBS_DIR,
    OVL_DIR,
    PRM_DIR,
    HAS_DIR,
    NGM_DIR,
    BLOCK_DLY,
    FDR_DIR,
    UPLOAD_SETTING_COUNT
};

inline constexpr int default_block_delay = 5;

// Empties the ten texts, which count as unread until read_upload_config; the
// block delay integer keeps its value.
void upload_settings_clear();
// Fills the settings from "upload.cfg"; a missing file changes nothing.
void read_upload_config(const std::string& top_directory);
// Gives empty folder settings their default folder (created unless read only)
// and brings the block delay text and integer into step.
void apply_upload_defaults(const std::string& top_directory, DiskAccess access = DiskAccess::read_write);
// Replaces "upload.cfg" with all ten settings in the fixed order; silent on
// failure. Settings not read from the file since they were last emptied are
// never written: the file is left as it is and the log says so.
void write_upload_config(const std::string& top_directory);

const std::string& upload_setting(UploadSetting key);
// Sets a folder setting, as the setup page's folder picker does; false (and
// nothing changed) for text longer than a path may be.
bool set_upload_setting(UploadSetting key, const std::string& value);
int block_delay();

// Back to the state at program start (tests).
void upload_settings_reset();
