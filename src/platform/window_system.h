#pragma once
// The backend of the page and window seams, chosen at run time: each backend
// (the Win32 dialogs, the terminal, a run from the command line, report lines,
// the tests' scripted pages) is one table of functions, and the program's main
// installs the one it runs with before its first page or box. The free
// functions of pages.h and window.h call the installed table; a call with none
// installed, or one the table does not provide, ends the program saying which.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pages.h"
#include "platform/window.h"

// The functions on a running page, as pages.h declares them: the dialog
// backend's over its windows, the page model's over its own record.
struct PageFunctions {
    void (*page_end)(Page page, int result);
    void (*page_post_command)(Page page, int command);
    void (*page_start_timer)(Page page, int timer_id, uint32_t interval_ms);
    void (*page_kill_timer)(Page page, int timer_id);
    void (*page_set_title)(Page page, std::string_view title);
    std::string (*page_title)(Page page);
    void (*page_show)(Page page, bool visible);
    void (*control_set_text)(Page page, int control, std::string_view text);
    std::string (*control_text)(Page page, int control);
    void (*control_enable)(Page page, int control, bool enabled);
    void (*control_show)(Page page, int control, bool visible);
    void (*control_check)(Page page, int control, bool checked);
    bool (*control_checked)(Page page, int control);
    void (*control_set_read_only)(Page page, int control, bool read_only);
    void (*progress_set_range)(Page page, int control, int low, int high);
    void (*progress_set_position)(Page page, int control, int position);
    int (*progress_position)(Page page, int control);
    void (*list_set_items)(Page page, int control, const std::vector<std::string>& items);
    void (*list_select)(Page page, int control, int index);
    int (*list_selection)(Page page, int control);
    std::size_t (*edit_length)(Page page, int control);
    std::optional<std::size_t> (*edit_line_start)(Page page, int control, std::size_t line);
    void (*edit_remove_front)(Page page, int control, std::size_t count);
    void (*edit_append)(Page page, int control, std::string_view text);
    Cursor (*set_cursor)(Cursor cursor);
};

// One backend; an entry left empty is a function it does not provide (a
// window without pages, a program that never asks to end).
struct WindowSystem {
    const PageFunctions* pages = nullptr;
    int (*page_run)(const PageLayout& layout, PageHandler handler) = nullptr;
    std::optional<std::string> (*pick_file)(Page owner, const FilePicker& picker) = nullptr;
    std::optional<std::string> (*browse_folder)(Page owner, std::string_view title) = nullptr;
    int (*message_box)(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) = nullptr;
    void (*yield_to_window)() = nullptr;
    void (*take_end_requests)(void (*stop_between_pages)()) = nullptr;
    int (*end_request)() = nullptr;
    void (*show_after_pages)(std::string_view text) = nullptr;
};

// From now on the seams call `system`, which must outlive every call.
void install_window_system(const WindowSystem& system);
