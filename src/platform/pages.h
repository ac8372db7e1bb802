#pragma once
// Page seam: modal pages built from their declarations, their controls by id,
// timers, posted commands, file pickers, the folder browser and the cursor.
// The backend is the one the program's main installs (window_system.h).
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
void page_end(Page page, int result);
// Queued behind the events already pending; delivered as PageEvent::command.
void page_post_command(Page page, int command);
void page_start_timer(Page page, int timer_id, uint32_t interval_ms);
void page_kill_timer(Page page, int timer_id);
void page_set_title(Page page, std::string_view title);
std::string page_title(Page page);
void page_show(Page page, bool visible);

void control_set_text(Page page, int control, std::string_view text);
std::string control_text(Page page, int control);
void control_enable(Page page, int control, bool enabled);
void control_show(Page page, int control, bool visible);
void control_check(Page page, int control, bool checked);
bool control_checked(Page page, int control);
void control_set_read_only(Page page, int control, bool read_only);

void progress_set_range(Page page, int control, int low, int high);
void progress_set_position(Page page, int control, int position);
int progress_position(Page page, int control);

void list_set_items(Page page, int control, const std::vector<std::string>& items);
void list_select(Page page, int control, int index);
// -1 when nothing is selected.
int list_selection(Page page, int control);

// Multi-line edit primitives the status box is kept with.
std::size_t edit_length(Page page, int control);
// Character index where line `line` (from 0) begins; nothing past the last line.
std::optional<std::size_t> edit_line_start(Page page, int control, std::size_t line);
void edit_remove_front(Page page, int control, std::size_t count);
// Appends at the end, scrolled into view, not recorded for undo.
void edit_append(Page page, int control, std::string_view text);

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
