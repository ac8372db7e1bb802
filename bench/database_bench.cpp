// The terrain integrity pass (read and checksum of the data file in pieces of
// 65,536 bytes through one reused buffer) against its ceiling in the same
// run: read() of the same file into the same kind of buffer followed by the
// fastest checksum kernel. The 1 GiB file is made in a temporary folder, read
// once so that it is in the page cache, and removed afterwards.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats/crc.h"
#include "loads/file_body.h"
#include "platform/system_window.h"

namespace {
constexpr std::size_t file_size_bytes = std::size_t(1) << 30;
std::string g_path;

void make_file() {
    g_path = (std::filesystem::temp_directory_path() / "htaws_database_bench.bin").string();
    std::FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f) std::abort();
    std::vector<unsigned char> piece(1 << 20);
    for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<unsigned char>(i * 131 + 7);
    for (std::size_t done = 0; done < file_size_bytes; done += piece.size())
        if (std::fwrite(piece.data(), 1, piece.size(), f) != piece.size()) std::abort();
    if (std::fclose(f) != 0) std::abort();
}

uint32_t integrity_pass() {
    std::FILE* f = std::fopen(g_path.c_str(), "rb");
    uint32_t checksum = 0;
    const PassResult r = checksum_file(f, file_size_bytes, checksum, nullptr);
    std::fclose(f);
    if (r.end != PassEnd::done) std::abort();
    return checksum;
}

uint32_t read_and_checksum() {
    const int fd = open(g_path.c_str(), O_RDONLY);
    alignas(64) static unsigned char buffer[body_piece_size];
    uint32_t reg;
    crc_begin(reg);
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) crc_add_span(reg, buffer, std::size_t(got));
    close(fd);
    return crc_end(reg);
}

template <uint32_t (*Pass)()>
void run(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Pass());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file_size_bytes));
}
BENCHMARK(run<integrity_pass>)->Name("integrity_pass_1GiB")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(run<read_and_checksum>)->Name("read_then_checksum_1GiB")->Unit(benchmark::kMillisecond)->UseRealTime();

double best_seconds(uint32_t (*pass)()) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(pass());
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
}  // namespace

int main(int argc, char** argv) {
    install_window_system(wizard_window_system());
    make_file();
    if (read_and_checksum() != integrity_pass()) std::abort();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double pass = best_seconds(integrity_pass);
    const double ceiling = best_seconds(read_and_checksum);
    std::printf("integrity pass / read()+checksum ceiling: %.2fx\n", ceiling / pass);
    std::filesystem::remove(g_path);
    benchmark::Shutdown();
    return 0;
}
