#include "platform/window_system.h"

#include <cstdio>
#include <cstdlib>

namespace {
const WindowSystem* g_system = nullptr;

// A seam called before main installed a backend, or one the backend does not
// provide, is a fault of the program: it ends here rather than at a null call.
template <typename F>
F provided(F function, const char* name) {
    if (function) return function;
    std::fprintf(stderr, "%s: %s\n", name,
                 g_system ? "the installed window system does not provide it"
                          : "no window system installed: main installs one before the first page or box");
    std::fflush(stderr);
    std::abort();
}

const WindowSystem& installed(const char* name) {
    provided(g_system, name);
    return *g_system;
}

const PageFunctions& on_page(const char* name) { return *provided(installed(name).pages, name); }
}  // namespace

void install_window_system(const WindowSystem& system) { g_system = &system; }

int page_run(const PageLayout& layout, PageHandler handler) {
    return provided(installed("page_run").page_run, "page_run")(layout, handler);
}
std::optional<std::string> pick_file(Page owner, const FilePicker& picker) {
    return provided(installed("pick_file").pick_file, "pick_file")(owner, picker);
}
std::optional<std::string> browse_folder(Page owner, std::string_view title) {
    return provided(installed("browse_folder").browse_folder, "browse_folder")(owner, title);
}
int message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    return provided(installed("message_box").message_box, "message_box")(text, caption, buttons, icon);
}
void yield_to_window() { provided(installed("yield_to_window").yield_to_window, "yield_to_window")(); }
void take_end_requests(void (*stop_between_pages)()) {
    provided(installed("take_end_requests").take_end_requests, "take_end_requests")(stop_between_pages);
}
int end_request() { return provided(installed("end_request").end_request, "end_request")(); }
void show_after_pages(std::string_view text) {
    provided(installed("show_after_pages").show_after_pages, "show_after_pages")(text);
}

void page_end(Page page, int result) { on_page("page_end").page_end(page, result); }
void page_post_command(Page page, int command) { on_page("page_post_command").page_post_command(page, command); }
void page_start_timer(Page page, int timer_id, uint32_t interval_ms) {
    on_page("page_start_timer").page_start_timer(page, timer_id, interval_ms);
}
void page_kill_timer(Page page, int timer_id) { on_page("page_kill_timer").page_kill_timer(page, timer_id); }
void page_set_title(Page page, std::string_view title) { on_page("page_set_title").page_set_title(page, title); }
std::string page_title(Page page) { return on_page("page_title").page_title(page); }
void page_show(Page page, bool visible) { on_page("page_show").page_show(page, visible); }
void control_set_text(Page page, int control, std::string_view text) {
    on_page("control_set_text").control_set_text(page, control, text);
}
std::string control_text(Page page, int control) { return on_page("control_text").control_text(page, control); }
void control_enable(Page page, int control, bool enabled) {
    on_page("control_enable").control_enable(page, control, enabled);
}
void control_show(Page page, int control, bool visible) {
    on_page("control_show").control_show(page, control, visible);
}
void control_check(Page page, int control, bool checked) {
    on_page("control_check").control_check(page, control, checked);
}
bool control_checked(Page page, int control) { return on_page("control_checked").control_checked(page, control); }
void control_set_read_only(Page page, int control, bool read_only) {
    on_page("control_set_read_only").control_set_read_only(page, control, read_only);
}
void progress_set_range(Page page, int control, int low, int high) {
    on_page("progress_set_range").progress_set_range(page, control, low, high);
}
void progress_set_position(Page page, int control, int position) {
    on_page("progress_set_position").progress_set_position(page, control, position);
}
int progress_position(Page page, int control) {
    return on_page("progress_position").progress_position(page, control);
}
void list_set_items(Page page, int control, const std::vector<std::string>& items) {
    on_page("list_set_items").list_set_items(page, control, items);
}
void list_select(Page page, int control, int index) { on_page("list_select").list_select(page, control, index); }
int list_selection(Page page, int control) { return on_page("list_selection").list_selection(page, control); }
std::size_t edit_length(Page page, int control) { return on_page("edit_length").edit_length(page, control); }
std::optional<std::size_t> edit_line_start(Page page, int control, std::size_t line) {
    return on_page("edit_line_start").edit_line_start(page, control, line);
}
void edit_remove_front(Page page, int control, std::size_t count) {
    on_page("edit_remove_front").edit_remove_front(page, control, count);
}
void edit_append(Page page, int control, std::string_view text) {
    on_page("edit_append").edit_append(page, control, text);
}
Cursor set_cursor(Cursor cursor) { return on_page("set_cursor").set_cursor(cursor); }
