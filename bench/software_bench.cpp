// A whole current-generation system software load of a 16 MiB set (three
// programs, the checksum list and both update scripts) against the simulated
// unit over a real pseudo-terminal, in real time, on a page without a window.
// The baseline, measured in the same run: the waits the load mandates (the
// configuration read's pause, per image the mode reply's pause and the pauses
// before the header's and the body's replies, the pause after the update
// command and the closing pause) plus plain write() of every byte of the set
// to the same terminal.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pty_unit.h"
#include "catalogue/load_preparation.h"
#include "catalogue/parameter_file.h"
#include "catalogue/setup_entry.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/software_system.h"
#include "platform/clock.h"
#include "platform/page_result.h"
#include "support/fixtures/load_image_builder.h"
#include "unit/identity.h"

namespace {
constexpr uint32_t board = 0x34029FFF;
constexpr uint32_t mebibyte = 1u << 20;
constexpr int images = 6;
// Waits per image: mode reply 1000, header reply 1000, body reply 2000.
constexpr double mandated_ms = 500 + images * (1000 + 1000 + 2000) + 2000 + 3000;

struct SetFile {
    const char* prefix;
    uint32_t type;
    uint32_t payload;
};
// 16 MiB in all, headers included.
constexpr SetFile set_files[images] = {
    {"rk5200h_", IMAGE_SYSTEM_PROGRAM, 8 * mebibyte - 256},
    {"rk5200h_io_", IMAGE_SYSTEM_PROGRAM, 4 * mebibyte - 256},
    {"rk5200h_start_", IMAGE_SYSTEM_PROGRAM, 2 * mebibyte - 256},
    {"scrc32_", IMAGE_UPDATE_PAYLOAD, mebibyte / 2 - 256},
    {"update_execs_", IMAGE_UPDATE_PAYLOAD, mebibyte - 256},
    {"update_data_", IMAGE_UPDATE_PAYLOAD, mebibyte / 2 - 256},
};

const std::filesystem::path& folder() {
    static const std::filesystem::path path = std::filesystem::temp_directory_path() / "htaws-software-bench";
    return path;
}

// The set on disk, the settings naming its folders, and the load prepared as
// the setup page's Next prepares it. The bytes of the set.
uint64_t prepare_set() {
    const std::filesystem::path programs = folder() / "System Files";
    std::filesystem::create_directories(programs);
    std::filesystem::create_directories(folder() / "Parameter Files");
    uint64_t bytes = 0;
    for (const SetFile& f : set_files) {
        LoadImageRecipe recipe;
        recipe.type = f.type;
        recipe.id_text = "0x3400";
        recipe.version_text = "1.07";
        recipe.elf = f.type == IMAGE_SYSTEM_PROGRAM;
        recipe.payload_size = f.payload;
        const std::string image = build_load_image(recipe);
        std::ofstream(programs / (std::string(f.prefix) + "1.07.hhf"), std::ios::binary) << image;
        bytes += image.size();
    }
    catalogue_setup_entry(folder().string());
    if (!set_parameter_file_name("bench_backup.dat")) std::abort();
    if (!prepare_load(LF_SYSTEM_SOFTWARE) || !update_execs_present() || !update_data_present()) std::abort();
    return bytes;
}

SimConfig board_unit() {
    SimConfig config;
    config.p_table.hardware_id = board;
    config.keep_load_bytes = 0;
    return config;
}

void BM_SystemSoftwareLoad(benchmark::State& state) {
    const uint64_t bytes = prepare_set();
    for (auto _ : state) {
        PtyUnit pty(board_unit());
        open_unit_link(pty.slave_path());
        g_unit.unit_hardware_id = board;
        PageWindow page = headless_transfer_page();
        const uint64_t start = now_ms();
        if (load_system_software(&page) != 0 || page.result != RESULT_BACK) state.SkipWithError("the load failed");
        const double total = double(now_ms() - start);
        reset_link_state();
        std::size_t accepted = 0;
        for (const SimLoad& load : pty.unit().loads()) accepted += load.accepted;
        if (accepted != images) state.SkipWithError("the unit did not take every image");

        const double raw = plain_write_ms(board_unit(), bytes, 65536);
        state.counters["total_ms"] = total;
        state.counters["mandated_wait_ms"] = mandated_ms;
        state.counters["raw_write_ms"] = raw;
        state.counters["rest_ms"] = total - mandated_ms - raw;
        state.counters["ratio_to_baseline"] = total / (mandated_ms + raw);
    }
    std::filesystem::remove_all(folder());
}
}  // namespace

BENCHMARK(BM_SystemSoftwareLoad)->Iterations(1)->Unit(benchmark::kSecond);
