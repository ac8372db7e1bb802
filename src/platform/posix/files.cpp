#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace {
// Birth time where the file system keeps one, else the modification time.
bool stat_entry(const std::string& path, FileEntry& entry) {
    struct statx sx {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME, &sx) != 0)
        return false;
    if (!S_ISREG(sx.stx_mode)) return false;
    entry.size = sx.stx_size;
    const auto& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    entry.created = t.tv_sec;
    entry.created_ns = t.tv_nsec;
    return true;
}
}  // namespace

std::vector<FileEntry> list_files(const std::string& folder, const std::string& pattern) {
    std::vector<FileEntry> found;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return found;
    while (const dirent* d = readdir(dir)) {
        if (!wildcard_match(pattern.c_str(), d->d_name)) continue;
        auto path = path_join(folder, d->d_name);
        if (!path) continue;
        FileEntry entry;
        entry.name = d->d_name;
        if (stat_entry(*path, entry)) found.push_back(std::move(entry));
    }
    closedir(dir);
    return found;
}

bool folder_exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool make_folder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && folder_exists(path);
}

int64_t file_size(std::FILE* f) {
    struct stat st {};
    if (fstat(fileno(f), &st) != 0) return -1;
    return st.st_size;
}

bool file_seek(std::FILE* f, int64_t pos) { return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0; }

int64_t file_tell(std::FILE* f) { return ftello(f); }

std::FILE* open_text_append(const std::string& path) { return std::fopen(path.c_str(), "a+"); }

std::string system_error_text(int err) { return std::strerror(err); }
