// The earlier-generation terrain data load of a 5,000,000-byte file against
// the simulated unit (generation 1) over a real pseudo-terminal, in real time,
// on a page without a window. The load's time is split with the unit's
// transcript into block sending with reply waits, and flash waits; the
// blocks' own sending cost is measured alone through the same path without
// replies. The baseline, measured in the same run: the waits the protocol
// mandates plus plain write() of every framed byte to the same terminal.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pty_unit.h"
#include "catalogue/earlier_generation_files.h"
#include "catalogue/loader_function.h"
#include "link/commands.h"
#include "link/serial.h"
#include "link/staging.h"
#include "loads/earlier_blocks.h"
#include "loads/earlier_loads.h"
#include "platform/clock.h"
#include "sim/sim_unit.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/database_builder.h"
#include "unit/identity.h"

namespace {
constexpr std::size_t file_size = 5000000;
constexpr std::size_t chunk_size = 2097152;
constexpr int chunks = 3;
constexpr uint32_t step_ms = 200;
constexpr int data_steps = 50;           // generation 1
constexpr uint32_t speed_reply_ms = 1000;  // the unit leaves the empty line unanswered
constexpr uint32_t closing_pause_ms = 3000;

SimConfig earlier_unit() {
    SimConfig config;
    config.generation = 1;
    config.p_table.hardware_id = 0x12345FFF;
    return config;
}

void open_link(const std::string& device) {
    open_unit_link(device);
    staging_open_port();
}

// The terrain pair the earlier-generation setup checks: a header file and a
// data file of file_size bytes beside it.
std::string terrain_files() {
    static const std::string data_path = [] {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "htaws-earlier-bench";
        std::filesystem::create_directories(folder);
        const TerrainPair pair = build_terrain_pair({.generation = TerrainGeneration::earlier});
        std::ofstream(folder / "t_theader.bin", std::ios::binary) << pair.info_file;
        std::ofstream(folder / "t_tdata.bin", std::ios::binary) << filler_bytes(file_size, 5);
        return (folder / "t_tdata.bin").string();
    }();
    return data_path;
}

// Every framed block of the load, as send_block_serial frames them.
uint64_t framed_bytes(const std::vector<uint8_t>& chunk) {
    uint64_t total = 0;
    for (std::size_t at = 0; at < chunk.size(); at += earlier_block_size) {
        const std::size_t n = std::min(earlier_block_size, chunk.size() - at);
        total += 2 + 10 + n + 4 + std::size_t(std::count(chunk.begin() + long(at), chunk.begin() + long(at + n), 0x10));
    }
    return total;
}

std::vector<uint8_t> chunk_bytes() {
    const std::string data = filler_bytes(chunk_size, 5);
    return {data.begin(), data.end()};
}

// The blocks alone through send_block_serial and the port, no replies read.
double block_sending_ms(const std::vector<uint8_t>& chunk) {
    PtyUnit pty(earlier_unit());
    open_link(pty.slave_path());
    // A system software load takes the same blocks without answering them.
    std::vector<uint8_t> control(256, 0);
    const uint32_t length = 256 + uint32_t(chunks * chunk.size());
    for (int i = 0; i < 4; ++i) control[8 + i] = uint8_t(length >> (24 - 8 * i));
    if (!staging_write("P\r", 2) || send_block_serial('C', control.data(), 256, 0) != BlockEnd::sent) std::abort();
    const uint64_t start = now_ms();
    for (int c = 0; c < chunks; ++c)
        for (std::size_t at = 0; at < chunk.size(); at += earlier_block_size)
            if (send_block_serial('D', chunk.data() + at, std::min(earlier_block_size, chunk.size() - at),
                                  uint32_t(256 + c * chunk.size() + at)) != BlockEnd::sent)
                std::abort();
    const uint64_t took = now_ms() - start;
    reset_link_state();
    return double(took);
}

void BM_TerrainDataLoad(benchmark::State& state) {
    const std::string data_path = terrain_files();
    const std::vector<uint8_t> chunk = chunk_bytes();
    for (auto _ : state) {
        PtyUnit pty(earlier_unit());
        earlier_generation_reset();
        if (!earlier_check_next({LF_TERRAIN, "", data_path, ""})) std::abort();
        g_unit.unit_generation = 1;
        open_link(pty.slave_path());
        PageWindow page = headless_transfer_page();
        const uint64_t start = now_ms();
        if (load_terrain_serial_data(&page) != 0) state.SkipWithError("the load failed");
        const double total = double(now_ms() - start);
        reset_link_state();

        // Flash waits: from each "W" to the next thing the unit hears (the
        // last one: to the end of the load, less the closing pause).
        double flash = 0;
        const std::vector<SimEvent>& events = pty.unit().transcript();
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].kind != SimEvent::received || events[i].text != "W") continue;
            uint64_t next = start + uint64_t(total) - closing_pause_ms;
            for (std::size_t j = i + 1; j < events.size(); ++j)
                if (events[j].kind == SimEvent::received) {
                    next = events[j].at_ms;
                    break;
                }
            flash += double(next - events[i].at_ms);
        }
        const double sending = block_sending_ms(chunk);
        const double blocks_and_replies = total - flash - closing_pause_ms;
        const double raw = plain_write_ms(earlier_unit(), uint64_t(chunks) * framed_bytes(chunk), 1044);
        const double mandated = chunks * ((data_steps + 1) * step_ms + speed_reply_ms) + closing_pause_ms;
        state.counters["total_ms"] = total;
        state.counters["flash_wait_ms"] = flash;
        state.counters["block_sending_ms"] = sending;
        state.counters["reply_wait_ms"] = blocks_and_replies - sending - chunks * speed_reply_ms;
        state.counters["baseline_ms"] = mandated + raw;
        state.counters["raw_sending_ms"] = raw;
        state.counters["ratio_to_baseline"] = total / (mandated + raw);
    }
}
}  // namespace

BENCHMARK(BM_TerrainDataLoad)->Iterations(1)->Unit(benchmark::kSecond);
