#include <cstdlib>

#include "formats/sectioned_file.h"
#include "fuzz_input.h"
#include "support/fixtures/database_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in = split_fuzz_input(data, size);
    if ((in.options & fuzz_seal) && in.bytes.size() >= db_header_size) reseal_sectioned_header(in.bytes);
    const int rc = read_obstacle_file(write_fuzz_file(in.bytes));
    if (rc != DB_OK && (rc < DB_DATA_CRC_FAILED || rc > DB_OPEN_FAILED)) std::abort();
    return 0;
}
