#include "check/media_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "formats/image.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"
#include "support/temp_dir.h"

MediaSet valid_media_set() {
    const std::string program = build_load_image({});
    const std::string os_image = build_load_image({.type = IMAGE_OS, .elf = false});
    const TerrainPair terrain = build_terrain_pair({});
    const TerrainPair earlier = build_terrain_pair({.generation = TerrainGeneration::earlier});
    const std::string lines = "First Setting 0x00000001\nSecond.Value_2 0x0000ABCD\n";
    return {
        {main_program, program},
        {io_program, program},
        {"System Files/rk5200h_start_2.1.hhf", program},
        {kernel_image, os_image},
        {"System Files/foo_dtb_3.0.hhf", os_image},
        {"System Files/ubi_img_3.0.hhf", os_image},
        {"System Files/u_boot_4.0.hhf", build_load_image({.type = IMAGE_BOOT, .elf = false})},
        {system_hex, hex_text(build_system_image({}))},
        {terrain_info, terrain.info_file},
        {terrain_data, terrain.data_file},
        {"Terrain Files/old_theader.bin", earlier.info_file},
        {earlier_terrain, earlier.data_file},
        {airport_file, build_map_file({})},
        {obstacle_file, build_sectioned_file({})},
        {"Overlay Files/61734-GDB-0001-00001.bin", build_sectioned_file({})},
        {parameter_file, lines},
        {"HASS Files/HASS.dat", lines},
        {"NOGAMMA Files/NOGAMMA.dat", lines},
    };
}

std::string native_path(const std::string& top_directory, const std::string& relative) {
    std::string path = top_directory + path_separator + relative;
    for (char& c : path)
        if (c == '/') c = path_separator;
    return path;
}

std::string write_media_set(const std::string& top_directory, const MediaSet& files) {
    for (const auto& [relative, bytes] : files) {
        const std::string path = native_path(top_directory, relative);
        make_folder(path.substr(0, path.find_last_of(path_separator)));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            ADD_FAILURE() << "cannot write " << path;
            continue;
        }
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return top_directory;
}

std::string tree_listing(const std::string& top_directory) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top_directory)) {
        const std::string path = entry.path().string();
        if (entry.is_directory())
            entries.push_back(path + " folder");
        else
            entries.push_back(path + " " + std::to_string(entry.file_size()) + " " + read_whole_file(path));
    }
    std::sort(entries.begin(), entries.end());
    std::string listing;
    for (const std::string& entry : entries) listing += entry + "\n";
    return listing;
}
