#pragma once
// Media sets for the checker's tests: a complete valid set of every kind,
// written into a top-level directory, and a listing that shows any change.
#include <map>
#include <string>

// File paths relative to the top-level directory ("/"-separated) and bytes.
using MediaSet = std::map<std::string, std::string>;

// Names of the files in the valid set.
inline const std::string main_program = "System Files/rk5200h_2.1.hhf";
inline const std::string io_program = "System Files/rk5200h_io_2.1.hhf";
inline const std::string kernel_image = "System Files/uImage_3.0.hhf";
inline const std::string airport_file = "Airport Files/61734-NDB-2301-00017.bin";
inline const std::string obstacle_file = "Obstacle Files/61734-ODB-0001-00001.bin";
inline const std::string terrain_info = "Terrain Files/61734-TDB-0001-00002_header.bin";
inline const std::string terrain_data = "Terrain Files/61734-TDB-0001-00002_data.bin";
inline const std::string earlier_terrain = "Terrain Files/old_tdata.bin";
inline const std::string system_hex = "System Files/system.hex";
inline const std::string parameter_file = "Parameter Files/Params_SN0000abcd.dat";

MediaSet valid_media_set();
// Writes the files, making their folders; returns the top-level directory.
std::string write_media_set(const std::string& top_directory, const MediaSet& files);
// Every folder and file below the top-level directory, with sizes and contents.
std::string tree_listing(const std::string& top_directory);
// A path of the set in the platform's form.
std::string native_path(const std::string& top_directory, const std::string& relative);
