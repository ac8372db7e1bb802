#pragma once
// A private folder for the files one fuzz input makes, removed when the
// process ends; the targets empty it after each input.
#include <cstddef>
#include <cstdint>
#include <string>

const std::string& fuzz_folder();
// Writes `size` bytes to `name` in the folder and returns its path.
std::string write_fuzz_folder_file(const char* name, const uint8_t* data, std::size_t size);
// Removes everything in the folder.
void empty_fuzz_folder();
