// The unit link over a real pseudo-terminal whose other end a reader thread
// drains: a raw body through write_multi_byte against plain write() of the same
// bytes, and send_block (each byte its own flow-controlled write) against a
// plain one-byte write() per byte; an OS image payload in data blocks against a
// raw body of the same size. At the end, the two ratios against their
// baselines, each the best of eleven runs taken in turn with its baseline.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "link/serial.h"
#include "platform/system_window.h"

namespace {
class PtyPeer {
public:
    PtyPeer() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        slave_path_ = ptsname(master_);
        // Held open so that the master never sees a hang-up between benchmarks.
        keep_open_ = open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
        reader_ = std::thread([this] {
            std::vector<char> sink(65536);
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (poll(&p, 1, 10) > 0 && read(master_, sink.data(), sink.size()) <= 0) break;
            }
        });
    }
    ~PtyPeer() {
        stop_ = true;
        reader_.join();
        close(keep_open_);
        close(master_);
    }
    const std::string& slave_path() const { return slave_path_; }

private:
    int master_ = -1;
    int keep_open_ = -1;
    std::string slave_path_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

PtyPeer& peer() {
    static PtyPeer p;
    return p;
}

// The port as the link opens it.
void open_link() {
    reset_link_state();
    g_link.port_found = true;
    g_link.port_name = peer().slave_path();
    if (!unit_open_port()) std::abort();
}

// The same device opened plainly in raw mode, for the baseline.
int open_plain() {
    const int fd = open(peer().slave_path().c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

const std::vector<uint8_t>& body() {
    static const std::vector<uint8_t> b = [] {
        std::vector<uint8_t> v(1 << 20);
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(i * 131 + 7);
        return v;
    }();
    return b;
}

void BM_BodyPlainWrite(benchmark::State& state) {
    const int fd = open_plain();
    for (auto _ : state) {
        std::size_t done = 0;
        while (done < body().size()) {
            const ssize_t n = write(fd, body().data() + done, body().size() - done);
            if (n > 0) done += std::size_t(n);
        }
    }
    close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body().size()));
}

void BM_BodyWriteMultiByte(benchmark::State& state) {
    open_link();
    for (auto _ : state)
        if (!write_multi_byte(body().data(), body().size())) state.SkipWithError("write failed");
    reset_link_state();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body().size()));
}

constexpr std::size_t block_bytes = 1024;

void BM_PerBytePlainWrite(benchmark::State& state) {
    const int fd = open_plain();
    for (auto _ : state)
        for (std::size_t i = 0; i < block_bytes; ++i)
            if (write(fd, body().data() + i, 1) != 1) state.SkipWithError("write failed");
    close(fd);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(block_bytes));
}

void BM_PerByteSendBlock(benchmark::State& state) {
    open_link();
    for (auto _ : state)
        if (send_block('D', body().data(), block_bytes, 0) != BlockEnd::sent) state.SkipWithError("send failed");
    reset_link_state();
    // Framed: marker, header and check around the payload.
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(block_bytes + 2 + 10 + 4));
}

// Seconds per payload byte ("u" microseconds, "n" nanoseconds).
void per_byte(benchmark::State& state, std::size_t size) {
    state.counters["time_per_byte"] =
        benchmark::Counter(double(size), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// An OS image's payload: 'D' blocks of 1024 bytes at their load addresses
// against the same bytes sent as one raw body in 65,536-byte pieces. The
// payload is the 1 MiB body repeated up to the size.
void BM_ImageRawBody(benchmark::State& state) {
    open_link();
    const std::size_t size = std::size_t(state.range(0));
    const std::size_t piece = 65536;
    for (auto _ : state)
        for (std::size_t at = 0; at < size; at += piece)
            if (!write_multi_byte(body().data() + at % body().size(), piece)) state.SkipWithError("write failed");
    reset_link_state();
    per_byte(state, size);
}

void BM_ImageDataBlocks(benchmark::State& state) {
    open_link();
    const std::size_t size = std::size_t(state.range(0));
    for (auto _ : state)
        for (std::size_t at = 0; at < size; at += block_bytes)
            if (send_block('D', body().data() + at % body().size(), block_bytes, uint32_t(at)) != BlockEnd::sent)
                state.SkipWithError("send failed");
    reset_link_state();
    per_byte(state, size);
}

// Seconds `run` takes on the clock and on this thread's processor time (the
// system calls' share included): the machine's other load falls on the first
// only.
struct Took {
    double wall = 1e9, cpu = 1e9;
};
double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
template <typename Run>
void best_of(Took& took, Run run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = thread_seconds();
    run();
    took.cpu = std::min(took.cpu, thread_seconds() - cpu_start);
    took.wall = std::min(took.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// An image's data blocks through send_block against one bare one-byte write()
// per framed byte; a 1 MiB body through write_multi_byte against plain write().
void print_ratios() {
    constexpr std::size_t blocks = 256;
    constexpr std::size_t framed = block_bytes + 2 + 10 + 4;
    Took blocks_took, bytes_took, multi_took, plain_took;
    for (int round = 0; round < 11; ++round) {
        open_link();
        best_of(blocks_took, [] {
            for (std::size_t i = 0; i < blocks; ++i)
                if (send_block('D', body().data() + i * block_bytes, block_bytes, uint32_t(i * block_bytes)) != BlockEnd::sent)
                    std::abort();
        });
        best_of(multi_took, [] {
            if (!write_multi_byte(body().data(), body().size())) std::abort();
        });
        reset_link_state();
        const int fd = open_plain();
        best_of(bytes_took, [fd] {
            for (std::size_t i = 0; i < blocks * framed; ++i)
                if (write(fd, body().data() + i % body().size(), 1) != 1) std::abort();
        });
        best_of(plain_took, [fd] {
            for (std::size_t done = 0; done < body().size();) {
                const ssize_t n = write(fd, body().data() + done, body().size() - done);
                if (n > 0) done += std::size_t(n);
            }
        });
        close(fd);
    }
    const double n = double(blocks * framed);
    std::printf("data blocks: send_block / bare one-byte write() per framed byte: %.2fx on the clock (%.2f us against "
                "%.2f us), %.2fx in processor time (%.2f us against %.2f us)\n",
                blocks_took.wall / bytes_took.wall, blocks_took.wall * 1e6 / n, bytes_took.wall * 1e6 / n,
                blocks_took.cpu / bytes_took.cpu, blocks_took.cpu * 1e6 / n, bytes_took.cpu * 1e6 / n);
    std::printf("raw body of 1 MiB: write_multi_byte throughput / plain write() throughput: %.2fx on the clock, "
                "%.2fx in processor time\n",
                plain_took.wall / multi_took.wall, plain_took.cpu / multi_took.cpu);
}
}  // namespace

BENCHMARK(BM_BodyPlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BodyWriteMultiByte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PerBytePlainWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PerByteSendBlock)->Unit(benchmark::kMicrosecond);
// The OS image figure: 32 MiB; 1 MiB for a quick look.
BENCHMARK(BM_ImageRawBody)->Arg(1 << 20)->Arg(32 << 20)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageDataBlocks)->Arg(1 << 20)->Arg(32 << 20)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    install_window_system(wizard_window_system());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    print_ratios();
    benchmark::Shutdown();
    return 0;
}
