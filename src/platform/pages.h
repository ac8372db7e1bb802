#pragma once
// Page seam: modal pages built from their declarations, their controls by id,
// timers, posted commands, file pickers, the folder browser and the cursor.
// The program links one backend (Win32, terminal); tests link the scripted one.
// Message boxes and yield_to_window are in window.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/page_layout.h"

using Page = struct PageWindow*;

enum class PageEvent {
    open,     // once, before the page is shown
    timer,    // id: the timer id
    command,  // id: the control id or command number (1 Enter, 2 Escape)
    click,    // a mouse-button release on the page itself
    close,    // the window's close request
    cursor,   // the system asks for the cursor; the handler sets it
};

using PageHandler = void (*)(Page page, PageEvent event, int id);

// A page opened by a handler of another runs over it and owns it: the page
// below takes no input meanwhile. Whether its timers and posted commands wait
// is the backend's (the terminal and scripted backends serve the top page
// only; on Windows they still arrive), so handlers guard their own re-entry.
// Shows the page modally and returns the result it was ended with (page_end);
// 0, as a quit, when it ended otherwise (the quit message).
int page_run(const PageLayout& layout, PageHandler handler);
#include "platform/page_functions.inc"

struct FileFilter {
    std::string label;    // "System Files (*.hex)"
    std::string pattern;  // "*.hex"
};
struct FilePicker {
    std::string title;
    std::string folder;
    std::vector<FileFilter> filters;
    bool save = false;  // a save picker asking before overwriting; else an open picker
};
// The chosen path, or nothing when cancelled.
std::optional<std::string> pick_file(Page owner, const FilePicker& picker);
std::optional<std::string> browse_folder(Page owner, std::string_view title);

enum class Cursor { arrow, app_starting, wait };
// Returns the cursor that was shown before.
Cursor set_cursor(Cursor cursor);
