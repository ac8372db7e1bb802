#include "app/status_box.h"

#include "output/status.h"

namespace {
constexpr std::size_t trim_above = 20000;
constexpr std::size_t lines_trimmed = 50;

struct StatusBox {
    Page page = nullptr;
    int control = 0;
};
StatusBox g_box;
}  // namespace

void status_attach(Page page, int control) {
    g_box = {page, control};
    g_status.screen_append = status_box_append;
}

void status_detach() {
    g_box = {};
    g_status.screen_append = nullptr;
}

bool status_attached() { return g_box.page != nullptr; }

void status_box_append(std::string_view text) {
    if (!g_box.page) return;
    if (edit_length(g_box.page, g_box.control) > trim_above) {
        // A box of fewer, very long lines is emptied so that it stays bounded.
        const auto cut = edit_line_start(g_box.page, g_box.control, lines_trimmed);
        edit_remove_front(g_box.page, g_box.control, cut.value_or(edit_length(g_box.page, g_box.control)));
    }
    edit_append(g_box.page, g_box.control, text);
}
