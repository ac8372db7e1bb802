#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool append_whole(const std::string& path, std::string_view text, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    ssize_t written = -1;
    do written = ::write(fd, text.data(), text.size());
    while (written < 0 && errno == EINTR);
    const int write_errno = errno;
    const bool closed = ::close(fd) == 0;
    if (written < 0) error = std::strerror(write_errno);
    else if (std::size_t(written) != text.size())
        error = "only " + std::to_string(written) + " of " + std::to_string(text.size()) + " bytes were written";
    else if (!closed)
        error = std::strerror(errno);
    return written >= 0 && std::size_t(written) == text.size() && closed;
}

int file_last_byte(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    unsigned char byte = 0;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    const bool read = end > 0 && ::pread(fd, &byte, 1, end - 1) == 1;
    ::close(fd);
    return read ? byte : -1;
}
