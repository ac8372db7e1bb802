#include <unistd.h>

#include "platform/files.h"
#include "platform/process.h"

std::string temp_folder() {
    make_folder("/tmp");
    return "/tmp";
}

std::string log_file_path() { return temp_folder() + "/Loader.LOG"; }

std::string version_text(VersionItem item) { return built_in_version_text(item); }

// A terminal program has no debugger output channel; the notes are dropped.
void debug_output(std::string_view) {}

void report_system_identity() {}

// A terminal program has its caller's streams from the start.
void use_caller_console() {}

bool stream_is_terminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }
