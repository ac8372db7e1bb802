#pragma once
// The checks of one named file of each kind, from the uploader's own checks.
#include <string>

bool check_system_program(const std::string& path);
bool check_os_image(const std::string& path);
bool check_boot_image(const std::string& path);
bool check_terrain_info(const std::string& path);
bool check_airport_file(const std::string& path);
bool check_obstacle_file(const std::string& path);
bool check_overlay_file(const std::string& path);
// Every line a configuration write would send must pass the line validity rule.
bool check_parameter_lines(const std::string& path);
bool check_earlier_system_file(const std::string& path);
bool check_earlier_airport_file(const std::string& path);
bool check_earlier_terrain_file(const std::string& path);
