// Pages for the fuzz targets of whole procedures: nothing is shown, and a
// page run ends at once with the command the input picked.
#include "silent_pages.h"

#include "platform/pages.h"

namespace {
int g_page_command = 0;
}  // namespace

void silent_pages_answer(int command) { g_page_command = command; }

int page_run(const PageLayout&, PageHandler handler) {
    handler(nullptr, PageEvent::open, 0);
    handler(nullptr, PageEvent::command, g_page_command);
    return g_page_command;
}
void page_end(Page, int) {}
void page_post_command(Page, int) {}
void page_start_timer(Page, int, uint32_t) {}
void page_kill_timer(Page, int) {}
void page_set_title(Page, std::string_view) {}
std::string page_title(Page) { return {}; }
void page_show(Page, bool) {}
void control_set_text(Page, int, std::string_view) {}
std::string control_text(Page, int) { return {}; }
void control_enable(Page, int, bool) {}
void control_show(Page, int, bool) {}
void control_check(Page, int, bool) {}
bool control_checked(Page, int) { return false; }
void control_set_read_only(Page, int, bool) {}
void progress_set_range(Page, int, int, int) {}
void progress_set_position(Page, int, int) {}
int progress_position(Page, int) { return 0; }
void list_set_items(Page, int, const std::vector<std::string>&) {}
void list_select(Page, int, int) {}
int list_selection(Page, int) { return -1; }
std::size_t edit_length(Page, int) { return 0; }
std::optional<std::size_t> edit_line_start(Page, int, std::size_t) { return std::nullopt; }
void edit_remove_front(Page, int, std::size_t) {}
void edit_append(Page, int, std::string_view) {}
std::optional<std::string> pick_file(Page, const FilePicker&) { return std::nullopt; }
std::optional<std::string> browse_folder(Page, std::string_view) { return std::nullopt; }
Cursor set_cursor(Cursor cursor) { return cursor; }
