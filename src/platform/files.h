#pragma once
// File system seam: wildcard listing with creation times, folder creation,
// 64-bit file positions.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct FileEntry {
    std::string name;      // file name without folder
    int64_t created = 0;   // creation time, seconds since 1970 (birth time, else modification time)
    int64_t created_ns = 0;// sub-second part of the creation time, nanoseconds
    uint64_t size = 0;
};

// Files (not folders) in `folder` whose names match `pattern` ('*' and '?',
// case-insensitive as Windows matches). Order is unspecified. A missing or
// unreadable folder gives an empty list.
std::vector<FileEntry> list_files(const std::string& folder, const std::string& pattern);

// Case-insensitive '*' / '?' match of a whole name.
bool wildcard_match(const char* pattern, const char* name);

bool folder_exists(const std::string& path);
bool file_exists(const std::string& path);
// Creates one folder; true when it exists afterwards.
bool make_folder(const std::string& path);

// 64-bit positions on C streams.
int64_t file_size(std::FILE* f);            // -1 when unknown; position is kept
bool file_seek(std::FILE* f, int64_t pos);  // from the start
int64_t file_tell(std::FILE* f);

// Opens a text stream for appending ("a+t" on Windows: LF becomes CR LF).
std::FILE* open_text_append(const std::string& path);

// The system's text for an error number (errno).
std::string system_error_text(int err);
