#include <cctype>
#include <string>
#include <vector>

#include "platform/term/keys.h"
#include "platform/term/screen.h"
#include "platform/term/term_pages.h"
#include "platform/term/terminal.h"
#include "platform/window.h"

namespace {
struct Choice {
    char key;
    const char* label;
    int result;
};

std::vector<Choice> choices_for(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::ok: return {{'o', "[O]K", BOX_OK}};
        case BoxButtons::ok_cancel: return {{'o', "[O]K", BOX_OK}, {'c', "[C]ancel", BOX_CANCEL}};
        case BoxButtons::yes_no: return {{'y', "[Y]es", BOX_YES}, {'n', "[N]o", BOX_NO}};
        case BoxButtons::yes_no_cancel:
            return {{'y', "[Y]es", BOX_YES}, {'n', "[N]o", BOX_NO}, {'c', "[C]ancel", BOX_CANCEL}};
        case BoxButtons::retry_cancel: return {{'r', "[R]etry", BOX_RETRY}, {'c', "[C]ancel", BOX_CANCEL}};
        case BoxButtons::abort_retry_ignore:
            return {{'a', "[A]bort", BOX_ABORT}, {'r', "[R]etry", BOX_RETRY}, {'i', "[I]gnore", BOX_IGNORE}};
    }
    return {{'o', "[O]K", BOX_OK}};
}

void show(std::string_view text, std::string_view caption, const std::vector<Choice>& choices) {
    const TermSize size = term_size();
    const auto width = std::size_t(size.cols);
    std::vector<std::string> lines{screen_text("== " + std::string(caption) + " ==", width),
                                   ""};
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        do {
            lines.push_back(screen_text(line.substr(0, width), width));
            line.remove_prefix(std::min(width, line.size()));
        } while (!line.empty());
        start = end + 1;
    }
    std::string buttons;
    for (const Choice& c : choices) buttons += std::string(buttons.empty() ? "" : "  ") + c.label;
    lines.push_back("");
    lines.push_back(screen_text(buttons, width));
    if (term_is_screen() && lines.size() < std::size_t(size.rows)) lines.resize(std::size_t(size.rows));
    if (lines.size() > std::size_t(size.rows)) lines.erase(lines.begin() + 2, lines.end() - size.rows + 2);
    screen_show(lines);
}
}  // namespace

// A box is a prompt with its buttons' letters; Enter takes the first button,
// Escape the Cancel one. At the end of input, or once the program was asked to
// end, the last button is taken: No,
// Cancel or OK, which ends a flow instead of repeating it.
int term_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon) {
    term_enter();
    const auto choices = choices_for(buttons);
    screen_invalidate();
    for (;;) {
        if (term_take_resize()) screen_invalidate();
        show(text, caption, choices);
        const Key key = term_next_key(1000);
        int result = 0;
        if (key.kind == Key::end_of_input) result = choices.back().result;
        if (key.kind == Key::enter) result = choices.front().result;
        for (const Choice& c : choices) {
            if (key.kind == Key::escape && (c.result == BOX_CANCEL || choices.size() == 1)) result = c.result;
            if (key.kind == Key::character && std::tolower(static_cast<unsigned char>(key.ch)) == c.key)
                result = c.result;
        }
        if (result != 0) {
            screen_invalidate();
            return result;
        }
    }
}
