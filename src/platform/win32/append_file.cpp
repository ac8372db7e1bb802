#include "platform/append_file.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace {
constexpr auto lock_limit = std::chrono::seconds(5);
// The byte locked: far past any data, so that the lock stops no write.
constexpr DWORD lock_offset_high = 0x7FFFFFFF;

std::string system_words(DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string words(text, n);
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' ')) words.pop_back();
    if (words.empty()) words = "error " + std::to_string(code);
    return words;
}

bool take_lock(HANDLE file, OVERLAPPED& at) {
    const auto until = std::chrono::steady_clock::now() + lock_limit;
    while (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        if (GetLastError() != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A last line without its end.
bool unfinished(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) return false;
    OVERLAPPED at{};
    at.Offset = DWORD(uint64_t(size.QuadPart - 1) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(uint64_t(size.QuadPart - 1) >> 32);
    unsigned char last = '\n';
    DWORD read = 0;
    return ReadFile(file, &last, 1, &read, &at) && read == 1 && last != '\n';
}
}  // namespace

bool append_line(const std::string& path, std::string_view line, std::string& error) {
    // Without FILE_WRITE_DATA every write goes to the end of the file.
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = system_words(GetLastError());
        return false;
    }
    OVERLAPPED lock_at{};
    lock_at.OffsetHigh = lock_offset_high;
    bool written = false;
    if (!take_lock(file, lock_at)) {
        const DWORD code = GetLastError();
        error = code == ERROR_LOCK_VIOLATION ? "another program held it for 5 s" : system_words(code);
    } else {
        std::string text;
        if (unfinished(file)) text += '\n';
        text += line;
        DWORD count = 0;
        written = WriteFile(file, text.data(), DWORD(text.size()), &count, nullptr) && count == text.size();
        if (!written)
            error = count == 0 ? system_words(GetLastError())
                               : "only " + std::to_string(count) + " of " + std::to_string(text.size()) +
                                     " bytes were written";
        UnlockFileEx(file, 0, 1, 0, &lock_at);
    }
    if (!CloseHandle(file) && written) {
        error = system_words(GetLastError());
        written = false;
    }
    return written;
}
