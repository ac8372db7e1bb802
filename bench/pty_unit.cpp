#include "pty_unit.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/page_layouts.h"
#include "link/commands.h"
#include "link/serial.h"
#include "platform/clock.h"

namespace {
// The slave side in raw mode; -1 when it does not open.
int open_raw_terminal(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

PageInput no_input(Page, int, bool) { return PageInput::nothing; }
void unseen(Page, bool) {}
void no_control(Page, int) {}
void gone(Page) {}
const PageBackend headless{no_input, unseen, no_control, gone};
}  // namespace

PtyUnit::PtyUnit(SimConfig config) : unit_(std::move(config)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) std::abort();
    slave_path_ = ptsname(master_);
    keep_open_ = open_raw_terminal(slave_path_);
    if (keep_open_ < 0) std::abort();
    server_ = std::thread([this] { serve(); });
}

PtyUnit::~PtyUnit() {
    stop_ = true;
    if (server_.joinable()) server_.join();
    close(keep_open_);
    close(master_);
}

const SimUnit& PtyUnit::unit() {
    stop_ = true;
    if (server_.joinable()) server_.join();
    return unit_;
}

void PtyUnit::serve() {
    std::vector<uint8_t> buffer(65536), pending;
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 1) > 0) {
            const ssize_t n = read(master_, buffer.data(), buffer.size());
            if (n > 0) unit_.receive(buffer.data(), std::size_t(n), now_ms());
        }
        const std::size_t ready = unit_.available(now_ms());
        const std::size_t old = pending.size();
        pending.resize(old + ready);
        unit_.take(pending.data() + old, ready, now_ms());
        if (pending.empty()) continue;
        const ssize_t written = write(master_, pending.data(), pending.size());
        if (written > 0) pending.erase(pending.begin(), pending.begin() + written);
    }
}

double plain_write_ms(SimConfig config, uint64_t bytes, std::size_t piece) {
    PtyUnit sink(std::move(config));
    const int fd = open_raw_terminal(sink.slave_path());
    if (fd < 0) std::abort();
    const std::vector<uint8_t> filler(piece, 0x55);
    const uint64_t start = now_ms();
    for (uint64_t done = 0; done < bytes;) {
        const std::size_t n = std::size_t(std::min<uint64_t>(piece, bytes - done));
        const ssize_t w = write(fd, filler.data(), n);
        if (w > 0) done += uint64_t(w);
    }
    tcdrain(fd);
    const uint64_t took = now_ms() - start;
    close(fd);
    return double(took);
}

void open_unit_link(const std::string& device) {
    reset_link_state();
    reset_command_state();
    g_link.port_found = true;
    g_link.port_name = device;
    if (!unit_open_port()) std::abort();
}

PageWindow headless_transfer_page() {
    PageWindow page;
    page.layout = app_page_layout(TRANSFER_PAGE);
    page.backend = &headless;
    page.controls = controls_of(*page.layout);
    return page;
}
