// htaws-unit-sim: the simulated unit on a pseudo-terminal in real time.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

#include "platform/clock.h"
#include "sim/program/keep.h"
#include "sim/program/options.h"
#include "sim/program/pty.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;

void on_signal(int) { g_stop = 1; }

void catch_signals() {
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// Prints the transcript entries that are new since the last call.
void print_events(const SimUnit& unit, std::size_t& printed, uint64_t start) {
    const std::vector<SimEvent>& events = unit.transcript();
    for (; printed < events.size(); ++printed) {
        const SimEvent& e = events[printed];
        std::printf("%8.3f %c %s\n", double(e.at_ms - std::min(e.at_ms, start)) / 1000.0, sim_event_mark(e.kind),
                    e.text.c_str());
    }
    std::fflush(stdout);
}

// Bytes taken from the unit that the pty has not taken yet, from `head` on.
struct Pending {
    std::vector<uint8_t> bytes;
    std::size_t head = 0;
    bool empty() const { return head == bytes.size(); }
};

// Moves readable bytes from the unit to the pty; keeps what the pty cannot take yet.
bool pass_output(SimUnit& unit, const Pty& pty, Pending& pending) {
    std::size_t n = unit.available(now_ms());
    if (pending.empty()) {
        pending.bytes.clear();
        pending.head = 0;
    }
    std::size_t old = pending.bytes.size();
    pending.bytes.resize(old + n);
    unit.take(pending.bytes.data() + old, n, now_ms());
    if (pending.empty()) return true;
    ssize_t written = write(pty.master, pending.bytes.data() + pending.head, pending.bytes.size() - pending.head);
    if (written < 0) return errno == EAGAIN || errno == EINTR;
    pending.head += std::size_t(written);
    return true;
}

// `read_limit`: the unit stops taking bytes after this many (the line stays
// up); -1 for never.
int serve(SimUnit& unit, const Pty& pty, long read_limit, KeptContents& kept) {
    uint64_t start = now_ms();
    std::size_t printed = 0;
    Pending pending;
    uint8_t buffer[65536];
    std::size_t taken = 0;
    while (!g_stop && unit.connected()) {
        std::size_t room = sizeof buffer;
        if (read_limit >= 0) room = std::min(room, std::size_t(read_limit) - taken);
        // Woken as soon as the pty takes more of what is pending, too.
        pollfd p{pty.master, short((room > 0 ? POLLIN : 0) | (pending.empty() ? 0 : POLLOUT)), 0};
        int ready = poll(&p, 1, 2);
        if (ready < 0 && errno != EINTR) {
            std::perror("poll");
            return 1;
        }
        if (ready > 0 && (p.revents & POLLIN)) {
            ssize_t n = read(pty.master, buffer, room);
            if (n > 0) {
                unit.receive(buffer, std::size_t(n), now_ms());
                taken += std::size_t(n);
            }
        }
        if (!pass_output(unit, pty, pending)) {
            std::perror("write");
            return 1;
        }
        const std::size_t before = printed;
        print_events(unit, printed, start);
        std::string error;
        if (printed != before && !kept.update(unit, error)) {
            std::fprintf(stderr, "htaws-unit-sim: %s\n", error.c_str());
            return 1;
        }
    }
    print_events(unit, printed, start);
    std::string error;
    if (!kept.update(unit, error)) {
        std::fprintf(stderr, "htaws-unit-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "htaws-unit-sim: %s\n%s", error.c_str(), options_help);
        return 2;
    }
    if (options.help) {
        std::fputs(options_help, stdout);
        return 0;
    }
    // Before the set-up: closing a controlling pty on a failure path hangs up this very process.
    catch_signals();
    std::string link = options.link;
    const bool located = !link.empty() || (options.com_port ? wine_com_registration(options.com_port, link, error)
                                                            : default_registration(options.name, link, error));
    Pty pty;
    if (!located || !pty_open(pty, error)) {
        std::fprintf(stderr, "htaws-unit-sim: %s\n", error.c_str());
        return 1;
    }
    if ((options.com_port && !pty_make_controlling(pty, error)) || !register_port(link, pty, error)) {
        std::fprintf(stderr, "htaws-unit-sim: %s\n", error.c_str());
        pty_close(pty);
        return 1;
    }
    // The uploader's flush cannot wait for the unit to take what it wrote: the
    // pty reports an empty output queue at once. When the unit's NAK reaches
    // the uploader, the pty may still hold its whole buffer of bytes written
    // before, and the unit may have read as much again without having come to
    // them; a unit's own port buffers such bytes in flight. On a busy machine
    // the pty may also take a while to hand the NAK over. The sender is held
    // to the rest: one write after the NAK has reached it.
    options.config.pacing.room_after_nak += uint32_t(2 * pty.buffered);
    options.config.pacing.nak_travel_ms = 50;
    SimUnit unit(options.config);
    // The contents are in the folder before the port is announced.
    KeptContents kept(options.keep);
    int result = 1;
    if (kept.start(unit, error)) {
        std::printf("htaws-unit-sim: generation %d unit on %s, registered as %s\n", options.config.generation,
                    pty.slave_path.c_str(), link.c_str());
        std::fflush(stdout);
        result = serve(unit, pty, options.stop_reading_after, kept);
    } else {
        std::fprintf(stderr, "htaws-unit-sim: %s\n", error.c_str());
    }
    unregister_port(link, pty);
    pty_close(pty);
    std::printf("htaws-unit-sim: %s, %zu anomalies\n", unit.connected() ? "stopped" : "cable pulled",
                unit.anomalies().size());
    return result;
}
