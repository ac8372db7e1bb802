#pragma once
// Process services: the temporary folder and the product's version block.
#include <string>

// C:\Temp on Windows, /tmp elsewhere; created if missing.
std::string temp_folder();
// The log file's path inside the temporary folder.
std::string log_file_path();

const char* product_name();
const char* product_version();
