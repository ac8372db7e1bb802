#pragma once
// The checks of the files of one load, each refusal shown and logged. Load
// preparation runs them on the chosen candidate's files; the media-set checker
// runs them on any file.
#include <cstdint>
#include <string>

// A system program image: the header (type system program), the payload, the
// release marker and, except for the start-up program, the embedded checksum.
bool check_program_file(const std::string& path, bool start_up);
// An OS or boot image: the header with the expected type.
bool check_image_file(const std::string& path, uint32_t image_type);
// A terrain info file and its data file; `phase` is 1 while the info file is read.
bool check_terrain_files(const std::string& header, const std::string& data, int& phase);
// A map file; `shown` names it in the refusal. The data section length, or 0.
int64_t check_map_file(const std::string& path, const std::string& shown);
// An obstacle (or overlay) file.
bool check_sectioned_file(const std::string& path, bool obstacle);
