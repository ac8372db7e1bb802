#include "platform/append_file.h"

#include <windows.h>

namespace {
std::string system_words(DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string words(text, n);
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' ')) words.pop_back();
    if (words.empty()) words = "error " + std::to_string(code);
    return words;
}
}  // namespace

bool append_whole(const std::string& path, std::string_view text, std::string& error) {
    // FILE_APPEND_DATA alone: every write goes to the end of the file as one piece.
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = system_words(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool wrote = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) != 0;
    const DWORD write_code = GetLastError();
    const bool closed = CloseHandle(file) != 0;
    if (!wrote) error = system_words(write_code);
    else if (written != text.size())
        error = "only " + std::to_string(written) + " of " + std::to_string(text.size()) + " bytes were written";
    else if (!closed)
        error = system_words(GetLastError());
    return wrote && written == text.size() && closed;
}

int file_last_byte(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size{};
    unsigned char byte = 0;
    DWORD read = 0;
    LARGE_INTEGER at{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0;
    at.QuadPart = size.QuadPart - 1;
    ok = ok && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, &byte, 1, &read, nullptr) && read == 1;
    CloseHandle(file);
    return ok ? byte : -1;
}
