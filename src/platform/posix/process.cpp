#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/process.h"

namespace {
// A folder named by the environment; empty when unset or not absolute, so
// that a relative value never puts the log in whatever folder the run began in.
std::string env_folder(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

bool make_folders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}
}  // namespace

std::string temp_folder() {
    make_folder("/tmp");
    return "/tmp";
}

// Each user has a log of their own: in the user's state folder, else in the
// user's temporary folder, else in /tmp under a name that carries the user.
std::string log_file_path() {
    std::string state = env_folder("XDG_STATE_HOME");
    if (state.empty()) {
        const std::string home = env_folder("HOME");
        if (!home.empty()) state = home + "/.local/state";
    }
    if (!state.empty() && make_folders(state + "/htaws-uploader")) return state + "/htaws-uploader/Loader.LOG";
    std::string temp = env_folder("TMPDIR");
    if (temp.empty() || !folder_exists(temp)) temp = temp_folder();
    return temp + "/Loader-" + std::to_string(getuid()) + ".LOG";
}

std::string version_text(VersionItem item) { return built_in_version_text(item); }

// A terminal program has no debugger output channel; the notes are dropped.
void debug_output(std::string_view) {}

void report_system_identity() {}

// A terminal program has its caller's streams from the start.
void use_caller_console() {}

bool stream_is_terminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int stream_columns(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}
