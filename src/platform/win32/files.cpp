#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace {
// FILETIME counts 100 ns steps from 1601-01-01.
constexpr int64_t filetime_epoch_offset = 116444736000000000LL;
}  // namespace

std::vector<FileEntry> list_files(const std::string& folder, const std::string& pattern) {
    std::vector<FileEntry> found;
    auto query = path_join(folder, pattern);
    if (!query) return found;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(query->c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // The system also matches 8.3 short names ("*.hhf" finds "a.hhfx");
        // the long name must match by itself, as on every other platform.
        if (!wildcard_match(pattern.c_str(), fd.cFileName)) continue;
        FileEntry entry;
        entry.name = fd.cFileName;
        int64_t t = (int64_t(fd.ftCreationTime.dwHighDateTime) << 32) | fd.ftCreationTime.dwLowDateTime;
        t -= filetime_epoch_offset;
        entry.created = t / 10000000;
        entry.created_ns = (t % 10000000) * 100;
        entry.size = (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        found.push_back(std::move(entry));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

bool folder_exists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_folder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && folder_exists(path);
}

int64_t file_size(std::FILE* f) {
    int64_t here = _ftelli64(f);
    if (here < 0 || _fseeki64(f, 0, SEEK_END) != 0) return -1;
    int64_t size = _ftelli64(f);
    if (_fseeki64(f, here, SEEK_SET) != 0) return -1;
    return size;
}

bool file_seek(std::FILE* f, int64_t pos) { return _fseeki64(f, pos, SEEK_SET) == 0; }

int64_t file_tell(std::FILE* f) { return _ftelli64(f); }

std::FILE* open_text_append(const std::string& path) { return std::fopen(path.c_str(), "a+t"); }

std::string system_error_text(int err) { return std::strerror(err); }
