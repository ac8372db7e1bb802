#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

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
}  // namespace

// A box becomes a prompt. Without a technician at a terminal (input closed or
// not a terminal) the last button is taken: No, Cancel or OK, which ends a
// flow instead of repeating it.
int message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon) {
    const auto choices = choices_for(buttons);
    std::fprintf(stderr, "\n== %.*s ==\n%.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
    if (!isatty(STDIN_FILENO)) return choices.back().result;
    for (;;) {
        for (const auto& c : choices) std::fprintf(stderr, "%s ", c.label);
        std::fprintf(stderr, "? ");
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) return choices.back().result;
        const int key = std::tolower(static_cast<unsigned char>(line[0]));
        for (const auto& c : choices)
            if (c.key == key) return c.result;
    }
}
