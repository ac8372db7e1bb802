#include "formats/image.h"
#include "fuzz_input.h"
#include "support/fixtures/load_image_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in = split_fuzz_input(data, size);
    if ((in.options & fuzz_seal) && in.bytes.size() >= load_image_header_size) reseal_load_image_header(in.bytes);
    if (image_open(write_fuzz_file(in.bytes), IMAGE_SYSTEM_PROGRAM)) {
        image_check_payload_crc();
        image_is_release();
        image_check_embedded_crc();
    }
    return 0;
}
