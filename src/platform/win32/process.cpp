#include <windows.h>
#include <io.h>

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"

namespace {
const char* version_key(VersionItem item) {
    switch (item) {
        case VersionItem::product_name: return "ProductName";
        case VersionItem::product_version: return "ProductVersion";
        case VersionItem::file_description: return "FileDescription";
        case VersionItem::legal_copyright: return "LegalCopyright";
    }
    return "";
}

// The executable's version resource, empty when it has none.
const std::vector<char>& version_block() {
    static const std::vector<char> block = [] {
        std::vector<char> data;
        char path[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return data;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        if (size == 0) return data;
        data.resize(size);
        if (!GetFileVersionInfoA(path, 0, size, data.data())) data.clear();
        return data;
    }();
    return block;
}

// The operating system's name as the debugger notes give it.
std::string system_name(const OSVERSIONINFOEXA& v) {
    const char letter = v.szCSDVersion[0] ? v.szCSDVersion[1] : '\0';
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (v.dwMinorVersion == 0)
            return std::string("Microsoft Windows 95 ") + (letter == 'B' || letter == 'C' ? "OSR2 \n" : "");
        if (v.dwMinorVersion == 10) return std::string("Microsoft Windows 98 ") + (letter == 'A' ? "SE \n" : "");
        if (v.dwMinorVersion == 90) return "Microsoft Windows Millennium Edition \n";
    }
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (v.dwMajorVersion <= 4) return "Microsoft Windows NT \n";
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return "Microsoft Windows 2000 \n";
        char text[96];
        std::snprintf(text, sizeof text, "Microsoft Windows %lu.%lu build %lu \n", v.dwMajorVersion,
                      v.dwMinorVersion, v.dwBuildNumber);
        return text;
    }
    return {};
}
}  // namespace

std::string temp_folder() {
    make_folder("C:\\Temp");
    return "C:\\Temp";
}

std::string log_file_path() { return temp_folder() + "\\Loader.LOG"; }

std::string version_text(VersionItem item) {
    const std::vector<char>& block = version_block();
    if (block.empty()) return built_in_version_text(item);
    const std::string key = std::string("\\StringFileInfo\\040904b0\\") + version_key(item);
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::string(value, length > 0 && value[length - 1] == '\0' ? length - 1 : length);
}

void debug_output(std::string_view text) { OutputDebugStringA(std::string(text).c_str()); }

void report_system_identity() {
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return;
    }
    debug_output(system_name(version));
}

namespace {
bool has_stream(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Unbuffered: the Windows runtime buffers a line-buffered stream wholly, and
// the progress line must show as it moves.
void reopen_on_console(std::FILE* stream) {
    if (!std::freopen("CONOUT$", "w", stream)) return;
    std::setvbuf(stream, nullptr, _IONBF, 0);
}
}  // namespace

// Streams the caller redirected (to a file, a pipe) stay where they were sent.
void use_caller_console() {
    const bool out = has_stream(STD_OUTPUT_HANDLE);
    const bool err = has_stream(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) reopen_on_console(stdout);
    if (!err) reopen_on_console(stderr);
}

bool stream_is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

int stream_columns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}
