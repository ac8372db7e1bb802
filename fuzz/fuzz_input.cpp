#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_folder.h"

FuzzInput split_fuzz_input(const uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    return {data[0], std::string(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

namespace {
// Removed when the process ends.
struct FuzzFile {
    std::string path = fuzz_scratch_root() + "/htaws-fuzz-" + std::to_string(getpid()) + ".bin";
    ~FuzzFile() { std::remove(path.c_str()); }
};
}  // namespace

const std::string& write_fuzz_file(const std::string& bytes) {
    static const FuzzFile file;
    const std::string& path = file.path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) std::abort();
    return path;
}
