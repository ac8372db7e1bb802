#pragma once
// The readers take paths: each fuzz input becomes one file at a fixed
// per-process path. The first input byte picks options, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

struct FuzzInput {
    uint8_t options = 0;
    std::string bytes;  // the file's contents
};
FuzzInput split_fuzz_input(const uint8_t* data, std::size_t size);

// Writes `bytes` to this process's fuzz file and returns its path.
const std::string& write_fuzz_file(const std::string& bytes);

// Option bit: make the file's checksums valid, so the fuzzer explores past them.
inline constexpr uint8_t fuzz_seal = 1;
