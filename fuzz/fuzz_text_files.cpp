// The technician's text files: "upload.cfg", the pattern override file and a
// parameter file as a configuration write reads it. The first input byte picks
// the file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue/patterns.h"
#include "catalogue/upload_settings.h"
#include "fuzz_folder.h"
#include "unit/parameter_lines.h"

namespace {
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
    switch (data[0] % 3) {
        case 0:
            upload_settings_reset();
            write_fuzz_folder_file("upload.cfg", data + 1, size - 1);
            read_upload_config(fuzz_folder());
            block_delay();
            break;
        case 1:
            patterns_reset();
            write_fuzz_folder_file("glob_pattern_override.txt", data + 1, size - 1);
            apply_pattern_overrides(fuzz_folder());
            break;
        default: read_parameter_file(write_fuzz_folder_file("Params.dat", data + 1, size - 1)); break;
    }
    return 0;
}
