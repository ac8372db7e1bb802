// The input serves as info file, data file and earlier-generation file.
#include "formats/terrain_file.h"
#include "fuzz_input.h"
#include "support/fixtures/database_builder.h"

// Option bit: seal the header in the earlier generation's form.
constexpr uint8_t fuzz_earlier = 2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in = split_fuzz_input(data, size);
    const TerrainGeneration generation =
        (in.options & fuzz_earlier) ? TerrainGeneration::earlier : TerrainGeneration::current;
    if ((in.options & fuzz_seal) && in.bytes.size() >= terrain_header_size) reseal_terrain_header(in.bytes, generation);
    const std::string& path = write_fuzz_file(in.bytes);
    read_terrain_info(path);
    read_terrain_data(path);
    read_terrain_file_serial(path, TerrainPhase::header);
    read_terrain_file_serial(path, TerrainPhase::data);
    return 0;
}
