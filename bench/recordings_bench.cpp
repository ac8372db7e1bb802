// The download of one 64 MiB flight data recording from htaws-unit-sim over a
// pseudo-terminal, in real time, on a page without a window, against a plain
// read() of the same bytes from the same terminal and the same unit: the same
// packets, acknowledged the same way after the same 50 ms pause per packet.
// Also the uploader's peak memory growth during the download (Linux: the
// peak resident size is reset before it and read after it).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
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
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/page_layouts.h"
#include "catalogue/upload_settings.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/recordings.h"
#include "platform/clock.h"
#include "platform/page_model.h"
#include "unit/identity.h"

extern char** environ;

// The unit's packet framing (sim/framing.h, whose byte names clash with the link's).
std::vector<uint8_t> sim_packet(uint8_t type, const uint8_t* payload, std::size_t size, bool spoil_check);

namespace {
namespace fs = std::filesystem;

constexpr std::size_t recording_size = std::size_t(64) << 20;
constexpr std::size_t packet_size = std::size_t(1) << 20;
constexpr uint32_t ack_pause_ms = 50;
constexpr uint32_t closing_pause_ms = 3000;

// htaws-unit-sim holding one recording, registered at a path of its own.
class UnitProgram {
public:
    explicit UnitProgram(const fs::path& folder) : link_((folder / "unit").string()), log_((folder / "unit.log").string()) {
        const std::string size = std::to_string(recording_size), packet = std::to_string(packet_size);
        std::vector<std::string> args = {HTAWS_UNIT_SIM, "--link", link_, "--recordings", size, "--packet-size", packet};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 100 && log_text().find("registered as") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (log_text().find("registered as") == std::string::npos) std::abort();
    }
    ~UnitProgram() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    const std::string& link() const { return link_; }
    std::string log_text() const {
        std::ifstream in(log_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string link_, log_;
    pid_t pid_ = -1;
};

// The transfer page's controls, with nobody looking at them.
PageInput no_input(Page, int, bool) { return PageInput::nothing; }
void unseen(Page, bool) {}
void no_control(Page, int) {}
void gone(Page) {}
const PageBackend headless{no_input, unseen, no_control, gone};

// kB of a "VmRSS:" / "VmHWM:" line of /proc/self/status.
long status_kib(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

void reset_peak_rss() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The uploader's download into `folder`; ms, less the closing pause.
double uploader_ms(const std::string& link, const fs::path& folder, long& peak_growth_kib) {
    reset_link_state();
    reset_command_state();
    g_link.port_found = true;
    g_link.port_name = link;
    g_unit.unit_generation = current_generation;
    if (!unit_open_port() || !set_upload_setting(FDR_DIR, folder.string())) return -1;
    PageWindow page;
    page.layout = app_page_layout(TRANSFER_PAGE);
    page.backend = &headless;
    page.controls = controls_of(*page.layout);
    const long rss_before = status_kib("VmRSS:");
    reset_peak_rss();
    const uint64_t start = now_ms();
    const int ran = download_recordings(&page);
    const double took = double(now_ms() - start) - closing_pause_ms;
    peak_growth_kib = status_kib("VmHWM:") - rss_before;
    reset_link_state();
    return ran == 1 ? took : -1;
}

int open_raw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

bool write_text(int fd, const std::string& text) {
    return write(fd, text.data(), text.size()) == ssize_t(text.size());
}

// False when the unit falls silent for 10 s or the terminal fails.
bool read_exactly(int fd, std::vector<uint8_t>& buffer, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) return false;
        const ssize_t got = read(fd, buffer.data(), std::min(buffer.size(), size - done));
        if (got <= 0) return false;
        done += std::size_t(got);
    }
    return true;
}

// The same recording with plain read()s of each packet's bytes (their framed
// sizes known beforehand) and the same acknowledgements; ms, -1 on a failure.
double plain_read_ms(const std::string& link) {
    std::vector<uint8_t> recording(recording_size);
    for (std::size_t i = 0; i < recording.size(); ++i) recording[i] = uint8_t(i * 13);
    std::vector<std::size_t> framed;
    for (std::size_t at = 0; at < recording.size(); at += packet_size)
        framed.push_back(sim_packet('D', recording.data() + at, std::min(packet_size, recording.size() - at), false).size());
    const std::size_t end_packet = sim_packet('X', nullptr, 0, false).size();
    recording = {};
    const int fd = open_raw(link);
    std::vector<uint8_t> buffer(8192);
    const uint64_t start = now_ms();
    bool ok = write_text(fd, "H 0\r\n") && read_exactly(fd, buffer, 4);  // "OK\r\n"
    std::size_t total = 0;
    for (std::size_t i = 0; ok && i < framed.size(); ++i) {
        ok = read_exactly(fd, buffer, framed[i]);
        total += std::min(packet_size, recording_size - i * packet_size);
        std::this_thread::sleep_for(std::chrono::milliseconds(ack_pause_ms));
        char ack[32];
        std::snprintf(ack, sizeof ack, "OK %08zu\r", total);
        ok = ok && write_text(fd, ack);
    }
    ok = ok && read_exactly(fd, buffer, end_packet) && write_text(fd, "OK end\r");
    const double took = double(now_ms() - start);
    close(fd);
    return ok ? took : -1;
}

void BM_RecordingDownload(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("htaws-recordings-bench-" + std::to_string(getpid()));
    fs::create_directories(folder / "FDR");
    {
        UnitProgram unit(folder);
        for (auto _ : state) {
            long peak_growth_kib = 0;
            const double uploader = uploader_ms(unit.link(), folder / "FDR", peak_growth_kib);
            const double baseline = uploader < 0 ? -1 : plain_read_ms(unit.link());
            if (uploader < 0 || baseline < 0) {
                state.SkipWithError(uploader < 0 ? "the download failed" : "the plain read failed");
                break;
            }
            for (const auto& entry : fs::directory_iterator(folder / "FDR")) {
                if (entry.file_size() != recording_size) state.SkipWithError("the recording file is incomplete");
                fs::remove(entry.path());
            }
            const double mib = double(recording_size) / double(1 << 20);
            state.counters["uploader_ms"] = uploader;
            state.counters["plain_read_ms"] = baseline;
            state.counters["uploader_MiB_per_s"] = mib * 1000 / uploader;
            state.counters["plain_read_MiB_per_s"] = mib * 1000 / baseline;
            state.counters["ratio_to_baseline"] = uploader / baseline;
            state.counters["peak_rss_growth_KiB"] = double(peak_growth_kib);
        }
        if (unit.log_text().find(" ! ") != std::string::npos) state.SkipWithError("the unit recorded anomalies");
    }
    fs::remove_all(folder);
}
}  // namespace

BENCHMARK(BM_RecordingDownload)->Iterations(1)->Unit(benchmark::kSecond);
