#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

#include "platform/serial.h"

struct SerialPort {
    int fd;
    bool watching = false;
};

namespace {
// A write waits this long for room in the driver before reporting what went;
// the caller decides when a stalled device has failed.
constexpr int write_room_wait_ms = 100;

unsigned long long monotonic_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<unsigned long long>(t.tv_sec) * 1000 + static_cast<unsigned long long>(t.tv_nsec) / 1000000;
}

bool hung_up(int fd) {
    pollfd p{fd, 0, 0};
    if (poll(&p, 1, 0) < 0) return errno != EINTR;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Set by SIGIO, which the terminal sends the watching thread as input arrives.
volatile std::sig_atomic_t g_input_signalled = 1;

void on_input(int) { g_input_signalled = 1; }

bool catch_input_signal() {
    static const bool caught = [] {
        struct sigaction sa {};
        sa.sa_handler = on_input;
        sa.sa_flags = SA_RESTART;
        sigemptyset(&sa.sa_mask);
        return sigaction(SIGIO, &sa, nullptr) == 0;
    }();
    return caught;
}

bool make_raw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}
}  // namespace

SerialPort* serial_open(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || !make_raw(fd)) {
        close(fd);
        return nullptr;
    }
    return new SerialPort{fd};
}

void serial_close(SerialPort* port) {
    if (!port) return;
    serial_watch_input(port, false);
    close(port->fd);
    delete port;
}

void serial_watch_input(SerialPort* port, bool on) {
    if (!port || port->watching == on) return;
    const int flags = fcntl(port->fd, F_GETFL);
    if (flags < 0) return;
    if (!on) {
        fcntl(port->fd, F_SETFL, flags & ~O_ASYNC);
        port->watching = false;
        return;
    }
    // The signal goes to this thread only, and the first question looks.
    const f_owner_ex owner{F_OWNER_TID, pid_t(gettid())};
    g_input_signalled = 1;
    port->watching = catch_input_signal() && fcntl(port->fd, F_SETOWN_EX, &owner) == 0 &&
                     fcntl(port->fd, F_SETFL, flags | O_ASYNC) == 0;
}

bool serial_input_arrived(SerialPort* port) {
    if (!port || !port->watching || g_input_signalled) {
        g_input_signalled = 0;
        return true;
    }
    return false;
}

bool serial_set_queues(SerialPort* port, std::size_t, std::size_t) { return port != nullptr; }

bool serial_zero_timeouts(SerialPort* port) { return port && make_raw(port->fd); }

bool serial_purge(SerialPort* port) { return port && tcflush(port->fd, TCIOFLUSH) == 0; }

bool serial_clear_errors(SerialPort* port) { return port && !hung_up(port->fd); }

long serial_queued(SerialPort* port) {
    if (!port) return -1;
    // One poll answers the common case, nothing queued, by itself.
    pollfd p{port->fd, POLLIN, 0};
    if (poll(&p, 1, 0) < 0) return -1;
    int queued = 0;
    if ((p.revents & POLLIN) && ioctl(port->fd, FIONREAD, &queued) != 0) return -1;
    if (queued > 0) return queued;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? -1 : 0;
}

long serial_read(SerialPort* port, void* data, std::size_t size) {
    if (!port) return -1;
    const ssize_t got = read(port->fd, data, size);
    if (got >= 0) return long(got);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

long serial_read_within(SerialPort* port, void* data, std::size_t size, unsigned wait_ms) {
    if (!port) return -1;
    // Input that streams in needs no wait: one read takes it.
    if (const long got = serial_read(port, data, size); got != 0) return got;
    pollfd p{port->fd, POLLIN, 0};
    const int ready = poll(&p, 1, int(wait_ms));
    if (ready < 0) return errno == EINTR ? 0 : -1;
    if (p.revents & POLLIN) {
        const long got = serial_read(port, data, size);
        // A hung-up line reports itself readable with nothing to read.
        if (got != 0 || !(p.revents & (POLLHUP | POLLERR | POLLNVAL))) return got;
        return -1;
    }
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? -1 : 0;
}

// Like a write with a time-out: takes room as the driver frees it, until all
// is written or no room came for write_room_wait_ms.
long serial_write(SerialPort* port, const void* data, std::size_t size) {
    if (!port) return -1;
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = write(port->fd, bytes + done, size - done);
        if (written > 0) {
            done += std::size_t(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) return done ? long(done) : -1;
        pollfd p{port->fd, POLLOUT, 0};
        const int ready = poll(&p, 1, write_room_wait_ms);
        if (ready < 0 && errno != EINTR) return done ? long(done) : -1;
        if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return done ? long(done) : -1;
        if (ready == 0) break;
    }
    return long(done);
}

// tcdrain would wait without bound for a device that stops taking bytes; the
// output queue is watched instead, for a bounded time.
bool serial_flush(SerialPort* port) {
    if (!port) return false;
    const unsigned long long start = monotonic_ms();
    for (;;) {
        int pending = 0;
        if (ioctl(port->fd, TIOCOUTQ, &pending) != 0) return false;
        if (pending == 0) return true;
        if (monotonic_ms() - start >= serial_flush_limit_ms || hung_up(port->fd)) return false;
        poll(nullptr, 0, 1);
    }
}
