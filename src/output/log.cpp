#include <cerrno>
#include <cstdio>
#include <string>

#include "output/log.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"

namespace {
struct LogState {
    std::FILE* log_file = nullptr;
};
LogState g_log;

void io_error(const char* what, int err) {
    std::string text = std::string(what) + " error: " + system_error_text(err) + "\n";
    message_box(text, "IO Error ...", BoxButtons::ok, BoxIcon::warning);
}
}  // namespace

void log_open() { log_open_path(log_file_path()); }

void log_open_path(const std::string& path) {
    if (g_log.log_file) return;
    errno = 0;
    g_log.log_file = open_text_append(path);
    if (!g_log.log_file || std::ferror(g_log.log_file)) {
        const int err = errno;
        if (g_log.log_file) std::fclose(g_log.log_file);
        g_log.log_file = nullptr;
        io_error("Open", err);
    }
}

int log_write(std::string_view line) {
    if (!g_log.log_file) return 0;
    errno = 0;
    std::fwrite(line.data(), 1, line.size(), g_log.log_file);
    std::fputc('\n', g_log.log_file);
    if (std::ferror(g_log.log_file)) {
        io_error("Write", errno);
        std::clearerr(g_log.log_file);
    }
    return std::fflush(g_log.log_file);
}

void log_close() {
    if (!g_log.log_file) return;
    errno = 0;
    const int rc = std::fclose(g_log.log_file);
    g_log.log_file = nullptr;
    if (rc != 0) io_error("Close", errno);
}

bool log_is_open() { return g_log.log_file != nullptr; }

bool is_log_warning(std::string_view text) {
    for (std::string_view what : {"Open error: ", "Write error: ", "Close error: "})
        if (text.substr(0, what.size()) == what) return true;
    return false;
}
