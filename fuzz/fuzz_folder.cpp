#include "fuzz_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
struct FuzzFolder {
    std::string path = fuzz_scratch_root() + "/htaws-fuzz-" + std::to_string(getpid());
    FuzzFolder() { std::filesystem::create_directories(path); }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};
}  // namespace

const std::string& fuzz_folder() {
    static const FuzzFolder folder;
    return folder.path;
}

std::string write_fuzz_folder_file(const char* name, const uint8_t* data, std::size_t size) {
    const std::string path = fuzz_folder() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
    return path;
}

void empty_fuzz_folder() {
    for (const auto& entry : std::filesystem::directory_iterator(fuzz_folder())) std::filesystem::remove_all(entry);
}
