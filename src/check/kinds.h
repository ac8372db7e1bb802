#pragma once
// The kinds of file the checker knows: where the uploader finds each kind's
// candidates, which one it offers, and how a file of the kind is checked.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/loader_function.h"

struct FoundFiles {
    // As the uploader shows them, newest first.
    std::vector<std::string> names;
    // The files checked one by one; empty for kinds checked by load preparation.
    std::vector<std::string> paths;
    // Index of the one offered; -1 for none.
    int offered = -1;
    // Where they were looked for, for the refusal of an empty kind.
    std::string place;
};

struct CheckKind {
    std::string_view name;   // --kind and --as
    std::string_view title;
    // After the catalogue's read-only entry into the top-level directory.
    FoundFiles (*find)(const std::string& top_directory);
    // Checked as load preparation checks the chosen candidate; LF_NONE: file by file.
    LoaderFunction load;
    bool (*check_file)(const std::string& path);
};

std::span<const CheckKind> check_kinds();
// Checks the candidate at `index` of what `kind.find` found (-1: the kind has
// none, which is refused) as a load would; each refusal goes to a message box.
bool check_found_candidate(const CheckKind& kind, const FoundFiles& found, int index);
const CheckKind* find_check_kind(std::string_view name);
