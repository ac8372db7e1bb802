// The technician's text files: "upload.cfg", the pattern override file and a
// parameter file as a configuration write reads it. The first input byte picks
// the file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalogue/patterns.h"
#include "catalogue/upload_settings.h"
#include "unit/parameter_lines.h"

namespace {
// A private folder that holds the one file of each run.
struct FuzzFolder {
    std::string path = "/tmp/htaws-fuzz-" + std::to_string(getpid());
    FuzzFolder() { std::filesystem::create_directories(path); }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string write_file(const std::string& folder, const char* name, const uint8_t* data, std::size_t size) {
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
    return path;
}

void read_parameter_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    std::string first;
    const bool factory = read_parameter_line(f, first) && is_factory_header(first);
    std::rewind(f);
    for_each_sent_line(f, factory, [](std::string_view line) {
        check_parameter_line(line);
        return true;
    });
    std::fclose(f);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const FuzzFolder folder;
    switch (data[0] % 3) {
        case 0:
            upload_settings_reset();
            write_file(folder.path, "upload.cfg", data + 1, size - 1);
            read_upload_config(folder.path);
            block_delay();
            break;
        case 1:
            patterns_reset();
            write_file(folder.path, "glob_pattern_override.txt", data + 1, size - 1);
            apply_pattern_overrides(folder.path);
            break;
        default: read_parameter_file(write_file(folder.path, "Params.dat", data + 1, size - 1)); break;
    }
    return 0;
}
