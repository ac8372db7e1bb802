// A database body over a pseudo-terminal to htaws-unit-sim, in one run:
// - write_multi_byte in pieces of 65,536 bytes against plain write() of the
//   same pieces to the same unit, each after "P" and the control block and
//   followed by the unit's verdict;
// - the peak resident memory of a process that sends a terrain-sized body
//   (the integrity pass and the body of a sparse file, as the terrain load
//   does) against that of a process that only opened the link and the file.
// Sizes: --body-mib=N for the speed (default 64), --terrain-mib=N for the
// memory (default 512; 5120 for a 5 GiB body). Not run by ctest.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/crc.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/database_protocol.h"
#include "loads/file_body.h"
#include "platform/clock.h"
#include "platform/system_window.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;

uint64_t g_body_bytes = uint64_t(64) << 20;
uint64_t g_terrain_bytes = uint64_t(512) << 20;

// Starts a program with its output going to `output`.
int spawn(std::vector<std::string> args, const std::string& output = "/dev/null") {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// htaws-unit-sim registered at a link in a temporary folder.
class UnitSim {
public:
    explicit UnitSim(const fs::path& folder) : link_((folder / "port").string()) {
        pid_ = spawn({HTAWS_UNIT_SIM, "--link", link_});
        for (int i = 0; i < 500 && pid_ && !fs::is_symlink(link_); ++i) sleep_ms(10);
        if (!pid_ || !fs::is_symlink(link_)) std::abort();
    }
    ~UnitSim() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::string device() const { return fs::read_symlink(link_).string(); }

private:
    std::string link_;
    pid_t pid_ = 0;
};

void open_link(const std::string& device) {
    reset_link_state();
    g_link.port_found = true;
    g_link.port_name = device;
    if (!unit_open_port()) std::abort();
}

bool unit_said_ok(uint32_t limit_ms) {
    char line[256];
    return unit_read_line(line, sizeof line, limit_ms) >= 2 && std::strncmp(line, "OK", 2) == 0;
}

// "P" and the control block, answered "OK": the unit takes the body next.
bool start_body(const ControlBlock& block) {
    return enter_load_mode(LOAD_BINARY, block.data()).end == ModeEnd::ready && unit_said_ok(5000);
}

ControlBlock sealed_block(uint64_t length, uint32_t checksum) {
    ControlBlock block = database_control_block("terrain_database_data.bin", "bench", length, 2301);
    seal_control_block(block, checksum);
    return block;
}

struct SpeedRun {
    std::string device;
    std::vector<uint8_t> body;
    ControlBlock block{};
    int plain_fd = -1;
};
SpeedRun* g_speed = nullptr;

// Seconds the body's pieces took to go out; aborts unless the unit accepted it.
double send_body(bool plain) {
    SpeedRun& run = *g_speed;
    if (!start_body(run.block)) std::abort();
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < run.body.size(); at += body_piece_size) {
        const std::size_t n = std::min(body_piece_size, run.body.size() - at);
        if (!plain) {
            if (!write_multi_byte(run.body.data() + at, n)) std::abort();
            continue;
        }
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = write(run.plain_fd, run.body.data() + at + done, n - done);
            if (w <= 0) std::abort();
            done += std::size_t(w);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!unit_said_ok(20000)) std::abort();
    return seconds;
}

template <bool Plain>
void BM_Body(benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(send_body(Plain));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_speed->body.size()));
}
BENCHMARK(BM_Body<true>)->Name("body_plain_write")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Body<false>)->Name("body_write_multi_byte")->UseManualTime()->Unit(benchmark::kMillisecond);

// The same device opened plainly in raw mode, for the baseline.
int open_plain(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0) std::abort();
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// The best of three sends each way, taken in turn so that the machine's
// load falls on both alike: plain write() time over write_multi_byte time.
double plain_over_multi() {
    double plain = 1e9, multi = 1e9;
    for (int i = 0; i < 3; ++i) {
        multi = std::min(multi, send_body(false));
        plain = std::min(plain, send_body(true));
    }
    return plain / multi;
}

// This process's own peak resident memory in KiB. Not ru_maxrss: a spawned
// process starts that from its parent's resident size at the time of the spawn.
long own_peak_kib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

// The sending process: "--sender DEVICE FILE" sends the file as the terrain
// load sends its data file; "--sender DEVICE FILE idle" stops after opening
// the link and the file. Prints its peak resident memory in KiB; exit status
// 0 when the unit accepted the body.
int sender(const std::string& device, const std::string& path, bool idle) {
    open_link(device);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 2;
    int result = 0;
    if (!idle) {
        uint32_t checksum = 0;
        TransferProgress progress;
        // Without a page the progress is not drawn: a length of 0 shows nothing.
        if (checksum_file(file, 0, checksum, nullptr).end != PassEnd::done) result = 3;
        else if (!start_body(sealed_block(g_terrain_bytes, checksum))) result = 4;
        else if (send_file_body(file, 0, progress).end != PassEnd::done) result = 5;
        else if (!unit_said_ok(20000)) result = 6;
    }
    std::fclose(file);
    unit_close_port();
    std::printf("%ld\n", own_peak_kib());
    return result;
}

// Peak resident memory of a sender process, in KiB; aborts when it failed.
long sender_peak_kib(const std::string& self, const std::string& device, const std::string& path, bool idle) {
    std::vector<std::string> args = {self, "--terrain-mib=" + std::to_string(g_terrain_bytes >> 20), "--sender",
                                     device, path};
    if (idle) args.push_back("idle");
    const std::string output = path + ".peak";
    const pid_t pid = spawn(args, output);
    int status = 0;
    if (!pid || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "sender failed: status %d\n", status);
        std::abort();
    }
    std::FILE* f = std::fopen(output.c_str(), "r");
    long kib = -1;
    if (!f || std::fscanf(f, "%ld", &kib) != 1 || kib <= 0) std::abort();
    std::fclose(f);
    return kib;
}

void take_size_options(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--body-mib=", 0) == 0) g_body_bytes = std::strtoull(a.c_str() + 11, nullptr, 10) << 20;
        else if (a.rfind("--terrain-mib=", 0) == 0) g_terrain_bytes = std::strtoull(a.c_str() + 14, nullptr, 10) << 20;
        else argv[kept++] = argv[i];
    }
    argc = kept;
}
}  // namespace

int main(int argc, char** argv) {
    install_window_system(wizard_window_system());
    take_size_options(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "--sender") == 0)
        return sender(argv[2], argv[3], argc >= 5 && std::strcmp(argv[4], "idle") == 0);

    const fs::path folder = fs::temp_directory_path() / ("htaws_body_link_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    {
        UnitSim unit(folder);
        SpeedRun speed;
        speed.device = unit.device();
        speed.body.resize(g_body_bytes);
        for (std::size_t i = 0; i < speed.body.size(); ++i) speed.body[i] = uint8_t(i * 131 + 7);
        uint32_t reg;
        crc_begin(reg);
        crc_add_span(reg, speed.body.data(), speed.body.size());
        speed.block = sealed_block(speed.body.size(), crc_end(reg));
        open_link(speed.device);
        speed.plain_fd = open_plain(speed.device);
        g_speed = &speed;

        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        std::printf("body of %llu MiB: write_multi_byte / plain write() throughput: %.2fx\n",
                    static_cast<unsigned long long>(g_body_bytes >> 20), plain_over_multi());
        close(speed.plain_fd);
        unit_close_port();
        reset_link_state();

        const std::string data = (folder / "terrain_data.bin").string();
        {
            std::FILE* f = std::fopen(data.c_str(), "wb");
            if (!f || std::fclose(f) != 0) std::abort();
            fs::resize_file(data, g_terrain_bytes);
        }
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        const long idle = sender_peak_kib(self, speed.device, data, true);
        const auto start = std::chrono::steady_clock::now();
        const long peak = sender_peak_kib(self, speed.device, data, false);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("terrain body of %llu MiB in %.1f s: sender peak resident %.1f MiB = %.2fx an idle sender "
                    "(%.1f MiB), %.2fx the 64 MiB bound\n",
                    static_cast<unsigned long long>(g_terrain_bytes >> 20), seconds, double(peak) / 1024.0,
                    double(peak) / double(idle), double(idle) / 1024.0, double(peak) / (64.0 * 1024.0));
    }
    fs::remove_all(folder);
    benchmark::Shutdown();
    return 0;
}
