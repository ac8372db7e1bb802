#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/dialog_system.h"
#include "platform/win32/page_window.h"
#include "platform/window.h"

namespace {
// The longest file name the technician may pick.
constexpr DWORD max_file_name = 255;

// "label\0pattern\0...\0\0", as the common dialogs take their filters.
std::string filter_list(const std::vector<FileFilter>& filters) {
    std::string list;
    for (const FileFilter& f : filters) {
        list += f.label;
        list += '\0';
        list += f.pattern;
        list += '\0';
    }
    list += '\0';
    return list;
}
}  // namespace

std::optional<std::string> dialog_pick_file(Page owner, const FilePicker& picker) {
    char path[max_file_name + 1] = {};
    const std::string filters = filter_list(picker.filters);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner ? page_hwnd(owner) : nullptr;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrInitialDir = picker.folder.empty() ? nullptr : picker.folder.c_str();
    dialog.lpstrTitle = picker.title.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (picker.save ? OFN_OVERWRITEPROMPT : OFN_PATHMUSTEXIST | OFN_CREATEPROMPT);
    const BOOL chosen = picker.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) {
        // Cancel leaves no error; a name too long for the buffer does.
        if (const DWORD error = CommDlgExtendedError())
            message_box("The file could not be chosen (picker error " + std::to_string(error) +
                            ").\nFile names are limited to 255 characters.",
                        "Error", BoxButtons::ok, BoxIcon::error);
        return std::nullopt;
    }
    return std::string(path);
}

std::optional<std::string> dialog_browse_folder(Page owner, std::string_view title) {
    // The folder browser needs COM on this thread; a second call only counts up.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string heading(title);
    BROWSEINFOA browse{};
    browse.hwndOwner = owner ? page_hwnd(owner) : nullptr;
    browse.lpszTitle = heading.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    std::optional<std::string> folder;
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(chosen, path)) folder = path;
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return folder;
}
