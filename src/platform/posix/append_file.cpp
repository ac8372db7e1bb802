#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
constexpr auto lock_limit = std::chrono::seconds(5);

bool take_lock(int fd) {
    const auto until = std::chrono::steady_clock::now() + lock_limit;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A last line without its end.
bool unfinished(int fd) {
    struct stat st {};
    unsigned char last = '\n';
    return ::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

bool write_once(int fd, std::string_view text, std::string& error) {
    ssize_t written = -1;
    do written = ::write(fd, text.data(), text.size());
    while (written < 0 && errno == EINTR);
    if (written < 0) error = std::strerror(errno);
    else if (std::size_t(written) != text.size())
        error = "only " + std::to_string(written) + " of " + std::to_string(text.size()) + " bytes were written";
    return written >= 0 && std::size_t(written) == text.size();
}
}  // namespace

bool append_line(const std::string& path, std::string_view line, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool written = false;
    if (!take_lock(fd)) {
        error = errno == EWOULDBLOCK ? "another program held it for 5 s" : std::strerror(errno);
    } else {
        std::string text;
        if (unfinished(fd)) text += '\n';
        text += line;
        written = write_once(fd, text, error);
    }
    if (::close(fd) != 0 && written) {
        error = std::strerror(errno);
        written = false;
    }
    return written;
}
