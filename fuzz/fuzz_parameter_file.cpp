// A parameter file as a configuration write reads it: the factory header's
// model and serial checks, then the lines it sends to a unit that stays
// silent. The first input byte picks the unit's generation, model and serial.
#include <cstdlib>

#include "fuzz_folder.h"
#include "fuzz_input.h"
#include "fuzz_port.h"
#include "unit/configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const FuzzInput in = split_fuzz_input(data, size);
    fuzz_unit_connect(nullptr, 0);
    ConfigurationWrite write;
    write.source = write_fuzz_folder_file("Params.dat", reinterpret_cast<const uint8_t*>(in.bytes.data()),
                                          in.bytes.size());
    write.current_generation = in.options & 1;
    write.model = in.options & 2 ? "RK5200H" : "";
    write.serial = in.options & 4 ? 0x12345678 : 0;
    // Nobody answers the unit, so no write can complete.
    if (write_configuration(nullptr, write) == 0) std::abort();
    return 0;
}
