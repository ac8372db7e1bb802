#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/instance.h"
#include "platform/process.h"

namespace {
int g_lock_fd = -1;
}  // namespace

bool acquire_single_instance() {
    if (g_lock_fd >= 0) return true;
    const std::string path = temp_folder() + "/htaws-uploader-" + std::to_string(getuid()) + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    g_lock_fd = fd;
    return true;
}

void release_single_instance() {
    if (g_lock_fd < 0) return;
    close(g_lock_fd);
    g_lock_fd = -1;
}
