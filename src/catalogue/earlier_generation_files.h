#pragma once
// The setup page's file work on the earlier-generation link: the files offered
// at entry, and the checks that Next runs on the technician's choice.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/disk_access.h"
#include "catalogue/loader_function.h"

enum class EarlierFile { system, airport, terrain_data };
// Where the files are looked for: a folder of the top-level directory and a pattern.
struct EarlierPlace {
    std::string_view folder;
    std::string_view pattern;
};
EarlierPlace earlier_place(EarlierFile file);
// The files found there, newest first, joined to their folder.
std::vector<std::string> earlier_candidates(const std::string& top_directory, EarlierFile file);

// Offers the newest "System Files\*.hex", "Airport Files\*.bin" and
// "Terrain Files\*_tdata.bin" of the top-level directory, except where the
// technician has used the file picker of that box during this run.
void earlier_preselect(const std::string& top_directory);
// The technician pressed the system file or the database file picker button.
void mark_system_file_picked();
void mark_database_file_picked();

const std::string& earlier_system_file();
const std::string& earlier_airport_file();
const std::string& earlier_terrain_data_file();
void set_earlier_system_file(const std::string& path);
void set_earlier_airport_file(const std::string& path);
void set_earlier_terrain_data_file(const std::string& path);

// What the page hands to the checks of Next: the function checked on the
// page, the texts of the system file and database boxes, and the parameter
// file path. Read only, a system file is checked without proving the
// parameter file writable.
struct EarlierChoice {
    LoaderFunction function = LF_NONE;
    std::string system_file;
    std::string database_file;
    std::string parameter_file;
    DiskAccess access = DiskAccess::read_write;
};

// Runs the checks of Next; true when the page may end and hand the function over.
bool earlier_check_next(const EarlierChoice& choice);

// The terrain header file derived from the terrain data file by the last check.
const std::string& earlier_terrain_header_file();
// The map data section read by the last airport check, and its length.
const uint8_t* earlier_airport_data();
int64_t earlier_airport_size();
// Frees the airport data once its load has ended.
void earlier_airport_release();

void earlier_generation_reset();
