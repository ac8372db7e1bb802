#pragma once
// A private folder for the files one fuzz input makes, removed when the
// process ends; the targets empty it after each input.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// Where the fuzz files go: memory when the system offers a folder there, since
// every input writes its files anew.
inline std::string fuzz_scratch_root() {
    std::error_code ignored;
    return std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : "/tmp";
}

const std::string& fuzz_folder();
// Writes `size` bytes to `name` in the folder and returns its path.
std::string write_fuzz_folder_file(const char* name, const uint8_t* data, std::size_t size);
// Removes everything in the folder.
void empty_fuzz_folder();
