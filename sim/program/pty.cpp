#include "sim/program/pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
bool fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

bool system_failure(std::string& error, const std::string& what) { return fail(error, what + ": " + std::strerror(errno)); }

bool make_raw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

// Fills the pty from the slave side while nobody reads the master, counts what
// it took, and empties it again.
bool measure_buffer(Pty& pty) {
    const int writer = open(pty.slave_path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (writer < 0) return false;
    const char filler[4096] = {};
    ssize_t n;
    while ((n = write(writer, filler, sizeof filler)) > 0) pty.buffered += std::size_t(n);
    const bool full = n < 0 && errno == EAGAIN;
    close(writer);
    // The pty moves what it holds to the master's side a piece at a time.
    char sink[4096];
    std::size_t drained = 0;
    while (drained < pty.buffered) {
        pollfd p{pty.master, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0 || (n = read(pty.master, sink, sizeof sink)) <= 0) break;
        drained += std::size_t(n);
    }
    return full && drained == pty.buffered;
}
}  // namespace

bool pty_open(Pty& pty, std::string& error) {
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0) return system_failure(error, "posix_openpt");
    const char* name = nullptr;
    if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0 || !(name = ptsname(pty.master))) {
        system_failure(error, "pseudo-terminal set-up");
        pty_close(pty);
        return false;
    }
    pty.slave_path = name;
    pty.slave = open(name, O_RDWR | O_NOCTTY);
    if (pty.slave < 0 || !make_raw(pty.slave) || !make_raw(pty.master) ||
        fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK) != 0 || !measure_buffer(pty)) {
        system_failure(error, "pseudo-terminal " + pty.slave_path);
        pty_close(pty);
        return false;
    }
    return true;
}

void pty_close(Pty& pty) {
    if (pty.slave >= 0) close(pty.slave);
    if (pty.master >= 0) close(pty.master);
    pty.slave = pty.master = -1;
}

bool default_registration(const std::string& name, std::string& path, std::string& error) {
    std::string folder = "/tmp/htaws-ports-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return system_failure(error, folder);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return system_failure(error, folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
        return fail(error, folder + " is not a folder of this user's that only the user may write to");
    }
    path = folder + "/" + name;
    return true;
}

bool wine_com_registration(int number, std::string& path, std::string& error) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !*prefix) return fail(error, "--com-port needs WINEPREFIX set to the Wine prefix to serve");
    path = std::string(prefix) + "/dosdevices/com" + std::to_string(number);
    return true;
}

bool pty_make_controlling(const Pty& pty, std::string& error) {
    // A session leader keeps its session (started by setsid(1), for one).
    if (getsid(0) != getpid() && setsid() < 0)
        return fail(error, std::string("cannot start a session of its own (setsid: ") + std::strerror(errno) +
                               "); it leads its process group: start it from a script or with setsid(1)");
    if (ioctl(pty.slave, TIOCSCTTY, 0) != 0) return system_failure(error, "controlling terminal " + pty.slave_path);
    return true;
}

bool register_port(const std::string& path, const Pty& pty, std::string& error) {
    if (symlink(pty.slave_path.c_str(), path.c_str()) == 0) return true;
    struct stat target {};
    if (errno != EEXIST) return system_failure(error, path);
    if (stat(path.c_str(), &target) == 0) return fail(error, path + " is registered already");
    if (unlink(path.c_str()) != 0 || symlink(pty.slave_path.c_str(), path.c_str()) != 0)
        return system_failure(error, path);
    return true;
}

void unregister_port(const std::string& path, const Pty& pty) {
    char target[4096];
    ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, std::size_t(n)) == pty.slave_path) unlink(path.c_str());
}
