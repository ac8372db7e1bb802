// Load checksum throughput over a buffer far larger than the caches, beside
// a read-only pass over the same buffer (the most any pass that reads it can
// do), memcpy of it and the byte-at-a-time table loop (the plain definition).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formats/crc.h"
#include "formats/crc_paths.h"

namespace {

constexpr std::size_t buffer_size = std::size_t{256} << 20;

struct free_deleter {
    void operator()(unsigned char* p) const { std::free(p); }
};
using buffer = std::unique_ptr<unsigned char, free_deleter>;

buffer make_buffer() { return buffer(static_cast<unsigned char*>(std::aligned_alloc(64, buffer_size))); }

const unsigned char* source() {
    static const buffer data = [] {
        buffer b = make_buffer();
        std::mt19937_64 rng(1);
        for (std::size_t i = 0; i < buffer_size; i += 8) {
            const uint64_t word = rng();
            std::memcpy(b.get() + i, &word, 8);
        }
        return b;
    }();
    return data.get();
}

void crc_add_bytes_256MiB(benchmark::State& state) {
    const unsigned char* data = source();
    for (auto _ : state) {
        uint32_t reg;
        crc_begin(reg);
        crc_add_bytes(reg, data, static_cast<int32_t>(buffer_size));
        benchmark::DoNotOptimize(reg);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer_size));
}

void memcpy_256MiB(benchmark::State& state) {
    const unsigned char* data = source();
    const buffer target = make_buffer();
    std::memset(target.get(), 0, buffer_size);  // fault the pages in before timing
    for (auto _ : state) {
        std::memcpy(target.get(), data, buffer_size);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer_size));
}

// Every 64-bit word read once into four independent sums, as wide as the
// compiler makes it: nothing but the loads bounds it.
uint64_t read_words(const unsigned char* data, std::size_t size) {
    uint64_t sum[4] = {};
    for (std::size_t i = 0; i + 32 <= size; i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, data + i + 8 * k, 8);
            sum[k] ^= word;
        }
    return sum[0] ^ sum[1] ^ sum[2] ^ sum[3];
}

void read_pass_256MiB(benchmark::State& state) {
    const unsigned char* data = source();
    for (auto _ : state) benchmark::DoNotOptimize(read_words(data, buffer_size));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer_size));
}

void byte_loop_256MiB(benchmark::State& state) {
    const unsigned char* data = source();
    const auto& table = crc_tables[0];
    for (auto _ : state) {
        uint32_t reg = 0xFFFFFFFFu;
        for (std::size_t i = 0; i < buffer_size; ++i) reg = (reg >> 8) ^ table[(reg ^ data[i]) & 0xFF];
        benchmark::DoNotOptimize(reg);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer_size));
}

BENCHMARK(crc_add_bytes_256MiB)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(read_pass_256MiB)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(memcpy_256MiB)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(byte_loop_256MiB)->UseRealTime()->Unit(benchmark::kMillisecond);

uint32_t checksum_of(const unsigned char* data, std::size_t size) {
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, data, size);
    return reg;
}

// Kernel time over read-only pass time, each the best of 15 taken in turn
// so that a shared machine's load falls on both alike: over `size` bytes from
// the start of the buffer, `repeats` times a round.
double kernel_over_pass(std::size_t size, int repeats) {
    const unsigned char* data = source();
    auto seconds = [&](auto pass) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i) benchmark::DoNotOptimize(pass(data, size));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double kernel = 1e9, pass = 1e9;
    for (int round = 0; round < 15; ++round) {
        kernel = std::min(kernel, seconds(checksum_of));
        pass = std::min(pass, seconds(read_words));
    }
    return pass / kernel;
}

// Prints as usual and keeps each benchmark's rate for the summary.
class rate_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> bytes_per_second;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end()) bytes_per_second[run.run_name.function_name] = rate->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    rate_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& rates = reporter.bytes_per_second;
    for (const auto& [name, rate] : rates) std::printf("%-22s %10.0f MB/s\n", name.c_str(), rate / 1e6);
    const auto crc = rates.find("crc_add_bytes_256MiB");
    const auto copy = rates.find("memcpy_256MiB");
    const auto pass = rates.find("read_pass_256MiB");
    const auto bytes = rates.find("byte_loop_256MiB");
    if (crc != rates.end() && bytes != rates.end())
        std::printf("crc / byte loop: %.1fx\n", crc->second / bytes->second);
    if (crc != rates.end() && copy != rates.end()) std::printf("crc / memcpy:    %.2fx\n", crc->second / copy->second);
    if (crc != rates.end() && pass != rates.end()) std::printf("crc / read pass: %.2fx\n", crc->second / pass->second);
    // The same two in turn: from memory, and over one 65,536-byte piece in the
    // cache as the integrity pass checksums each piece it has just read.
    std::printf("crc / read pass, in turn, 256 MiB: %.2fx\n", kernel_over_pass(buffer_size, 1));
    std::printf("crc / read pass, in turn, 64 KiB:  %.2fx\n", kernel_over_pass(65536, 4096));
    std::printf("update path: %s\n", crc_cpu_has_vpclmul() ? "vpclmul" : crc_cpu_has_pclmul() ? "pclmul" : "table");
    return 0;
}
