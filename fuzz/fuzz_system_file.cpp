// The earlier generation's ".hex" system file through the checks of Next.
// Option bit fuzz_seal: the input is the image itself, given a length that
// fits and valid checksums, and written out as hexadecimal text.
#include <algorithm>
#include <cstdlib>

#include "catalogue/earlier_generation_files.h"
#include "catalogue/system_file_reader.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "fuzz_folder.h"
#include "fuzz_input.h"
#include "support/fixtures/catalogue_files.h"

namespace {
uint32_t image_register(const std::string& image, std::size_t from, std::size_t to) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, reinterpret_cast<const uint8_t*>(image.data()) + from, to - from);
    return reg;
}

std::string sealed_text(std::string image) {
    if (image.size() < 256) return hex_text(image);
    auto* bytes = reinterpret_cast<uint8_t*>(image.data());
    put_be32(bytes + 8, uint32_t(image.size()));
    put_be32(bytes + 244, image_register(image, 256, image.size()));
    if (get_be32(bytes + 252) != 0) put_be32(bytes + 252, image_register(image, 0, 251));
    return hex_text(image);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const FuzzInput in = split_fuzz_input(data, size);
    const std::string text = in.options & fuzz_seal ? sealed_text(in.bytes) : in.bytes;
    EarlierChoice choice;
    choice.function = LF_SYSTEM_SOFTWARE;
    choice.system_file =
        write_fuzz_folder_file("system.hex", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    choice.access = DiskAccess::read_only;
    const bool accepted = earlier_check_next(choice);
    // Only an image the unit has room for passes.
    if (accepted && int64_t(system_image().size()) > max_system_image_size + 1024) std::abort();
    system_image_reset();
    return 0;
}
