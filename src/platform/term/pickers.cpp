#include <filesystem>
#include <system_error>

#include "platform/term/prompt.h"
#include "platform/term/term_pages.h"
#include "platform/window.h"

namespace {
namespace fs = std::filesystem;

std::string filters_text(const FilePicker& picker) {
    std::string text;
    for (const FileFilter& f : picker.filters) text += (text.empty() ? "" : ", ") + f.label;
    return text;
}

std::string with_folder(const std::string& folder, const std::string& typed) {
    if (folder.empty() || fs::path(typed).is_absolute()) return typed;
    return (fs::path(folder) / typed).string();
}
}  // namespace

std::optional<std::string> term_pick_file(Page owner, const FilePicker& picker) {
    std::string hint = "Type a file path";
    if (!picker.folder.empty()) hint += " (relative to " + picker.folder + ")";
    if (!picker.filters.empty()) hint += ": " + filters_text(picker);
    for (;;) {
        const auto typed = prompt_path(picker.title, hint, picker.folder);
        if (owner) owner->dirty = true;
        if (!typed || typed->empty()) return std::nullopt;
        const std::string path = with_folder(picker.folder, *typed);
        std::error_code ec;
        const bool exists = fs::is_regular_file(path, ec);
        if (!picker.save && !exists) {
            message_box(path + "\nFile not found.\nCheck the file name and try again.", picker.title, BoxButtons::ok,
                        BoxIcon::warning);
            continue;
        }
        if (picker.save && exists &&
            message_box(path + " already exists.\nDo you want to replace it?", picker.title, BoxButtons::yes_no,
                        BoxIcon::warning) != BOX_YES)
            continue;
        return path;
    }
}

std::optional<std::string> term_browse_folder(Page owner, std::string_view title) {
    for (;;) {
        const auto typed = prompt_path(title, "Type a folder path", "");
        if (owner) owner->dirty = true;
        if (!typed || typed->empty()) return std::nullopt;
        std::error_code ec;
        if (fs::is_directory(*typed, ec)) return fs::absolute(*typed, ec).lexically_normal().string();
        message_box(*typed + "\nThis folder does not exist.", std::string(title), BoxButtons::ok, BoxIcon::warning);
    }
}
