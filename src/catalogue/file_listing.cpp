#include "catalogue/file_listing.h"

#include <algorithm>

namespace {
struct ListingState {
    FileLister lister;
};
ListingState g_listing;

// ASCII only, as the file system's own case folding of 8-bit names is not ours to copy.
unsigned char folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}
}  // namespace

void set_file_lister(FileLister lister) { g_listing.lister = std::move(lister); }

std::vector<FileEntry> list_catalogue_files(const std::string& folder, const std::string& pattern) {
    // An empty folder setting would list the working directory instead.
    if (folder.empty()) return {};
    return g_listing.lister ? g_listing.lister(folder, pattern) : list_files(folder, pattern);
}

int64_t creation_stamp(const FileEntry& entry) { return entry.created * 1000000000 + entry.created_ns; }

bool listed_before(int64_t created_a, std::string_view name_a, int64_t created_b, std::string_view name_b) {
    if (created_a != created_b) return created_a > created_b;
    return std::lexicographical_compare(name_a.begin(), name_a.end(), name_b.begin(), name_b.end(),
                                        [](char x, char y) { return folded(x) < folded(y); });
}
