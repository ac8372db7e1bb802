// Pages for the fuzz targets of whole procedures: nothing is shown, and a
// page run ends at once with the command the input picked.
#include "silent_pages.h"

#include "silent_window.h"

namespace {
int g_page_command = 0;

int silent_page_run(const PageLayout&, PageHandler handler) {
    handler(nullptr, PageEvent::open, 0);
    handler(nullptr, PageEvent::command, g_page_command);
    return g_page_command;
}
void silent_page_end(Page, int) {}
void silent_page_post_command(Page, int) {}
void silent_page_start_timer(Page, int, uint32_t) {}
void silent_page_kill_timer(Page, int) {}
void silent_page_set_title(Page, std::string_view) {}
std::string silent_page_title(Page) { return {}; }
void silent_page_show(Page, bool) {}
void silent_control_set_text(Page, int, std::string_view) {}
std::string silent_control_text(Page, int) { return {}; }
void silent_control_enable(Page, int, bool) {}
void silent_control_show(Page, int, bool) {}
void silent_control_check(Page, int, bool) {}
bool silent_control_checked(Page, int) { return false; }
void silent_control_set_read_only(Page, int, bool) {}
void silent_progress_set_range(Page, int, int, int) {}
void silent_progress_set_position(Page, int, int) {}
int silent_progress_position(Page, int) { return 0; }
void silent_list_set_items(Page, int, const std::vector<std::string>&) {}
void silent_list_select(Page, int, int) {}
int silent_list_selection(Page, int) { return -1; }
std::size_t silent_edit_length(Page, int) { return 0; }
std::optional<std::size_t> silent_edit_line_start(Page, int, std::size_t) { return std::nullopt; }
void silent_edit_remove_front(Page, int, std::size_t) {}
void silent_edit_append(Page, int, std::string_view) {}
std::optional<std::string> silent_pick_file(Page, const FilePicker&) { return std::nullopt; }
std::optional<std::string> silent_browse_folder(Page, std::string_view) { return std::nullopt; }
Cursor silent_set_cursor(Cursor cursor) { return cursor; }

const PageFunctions silent_page_functions{
    .page_end = silent_page_end,
    .page_post_command = silent_page_post_command,
    .page_start_timer = silent_page_start_timer,
    .page_kill_timer = silent_page_kill_timer,
    .page_set_title = silent_page_set_title,
    .page_title = silent_page_title,
    .page_show = silent_page_show,
    .control_set_text = silent_control_set_text,
    .control_text = silent_control_text,
    .control_enable = silent_control_enable,
    .control_show = silent_control_show,
    .control_check = silent_control_check,
    .control_checked = silent_control_checked,
    .control_set_read_only = silent_control_set_read_only,
    .progress_set_range = silent_progress_set_range,
    .progress_set_position = silent_progress_set_position,
    .progress_position = silent_progress_position,
    .list_set_items = silent_list_set_items,
    .list_select = silent_list_select,
    .list_selection = silent_list_selection,
    .edit_length = silent_edit_length,
    .edit_line_start = silent_edit_line_start,
    .edit_remove_front = silent_edit_remove_front,
    .edit_append = silent_edit_append,
    .set_cursor = silent_set_cursor,
};
}  // namespace

void silent_pages_answer(int command) { g_page_command = command; }

// The procedure targets' pages with the silent boxes, installed over the
// boxes alone before the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const WindowSystem system{
        .pages = &silent_page_functions,
        .page_run = silent_page_run,
        .pick_file = silent_pick_file,
        .browse_folder = silent_browse_folder,
        .message_box = silent_window_system().message_box,
        .yield_to_window = silent_window_system().yield_to_window,
    };
    install_window_system(system);
    return 0;
}
