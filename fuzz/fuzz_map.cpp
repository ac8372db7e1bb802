// Both map readers on one input; they must agree.
#include <cstdlib>

#include "formats/map_file.h"
#include "fuzz_input.h"
#include "support/fixtures/database_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in = split_fuzz_input(data, size);
    if ((in.options & fuzz_seal) && in.bytes.size() >= 4) reseal_map_file(in.bytes);
    const std::string& path = write_fuzz_file(in.bytes);
    std::unique_ptr<uint8_t[]> kept;
    const int64_t read = read_map_file(path, kept);
    const int64_t verified = verify_map_file(path);
    if (read != verified || (read >= 0) != bool(kept)) std::abort();
    return 0;
}
