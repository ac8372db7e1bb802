#pragma once
// The folder listing behind every scan of the catalogue, and the order of
// files by creation time. The listing is replaceable so that tests can give
// files creation times of their choosing: on Linux the birth time cannot be set.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

using FileLister = std::function<std::vector<FileEntry>(const std::string& folder, const std::string& pattern)>;

// An empty lister restores the platform's list_files.
void set_file_lister(FileLister lister);
std::vector<FileEntry> list_catalogue_files(const std::string& folder, const std::string& pattern);

// The creation time as one number, in nanoseconds since 1970.
int64_t creation_stamp(const FileEntry& entry);

// Newest first; equal times in the order Windows lists names (case-insensitive
// name order), so that the result does not depend on the listing order.
bool listed_before(int64_t created_a, std::string_view name_a, int64_t created_b, std::string_view name_b);
