#include <algorithm>

#include "platform/term/term_pages.h"
#include "platform/text_lines.h"

namespace {
std::string* text_of(Page page, int control) {
    for (TermControl& c : page->controls)
        if (c.decl.id == control && control != -1) return &c.text;
    return nullptr;
}
}  // namespace

std::size_t edit_length(Page page, int control) {
    const std::string* text = text_of(page, control);
    return text ? text->size() : 0;
}

std::optional<std::size_t> edit_line_start(Page page, int control, std::size_t line) {
    const std::string* text = text_of(page, control);
    if (!text) return std::nullopt;
    return text_line_start(*text, line);
}

void edit_remove_front(Page page, int control, std::size_t count) {
    if (std::string* text = text_of(page, control)) {
        text->erase(0, std::min(count, text->size()));
        changed(page, false);
    }
}

void edit_append(Page page, int control, std::string_view text) {
    if (std::string* box = text_of(page, control)) {
        *box += text;
        changed(page, false);
    }
}
