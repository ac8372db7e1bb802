#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/term/keys.h"

namespace {
// The keys read from standard input made a pipe carrying `bytes`, until its end.
std::vector<Key> keys_from(const std::string& bytes) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const int saved = dup(STDIN_FILENO);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fds[1]);
    std::vector<Key> keys;
    for (int i = 0; i < 100; ++i) {
        const Key key = term_next_key(100);
        if (key.kind == Key::end_of_input) break;
        keys.push_back(key);
    }
    dup2(saved, STDIN_FILENO);
    close(saved);
    return keys;
}

std::string names(const std::vector<Key>& keys) {
    static const char* const name[] = {"none", "char", "enter", "escape", "tab", "back_tab",
                                       "up", "down", "left", "right", "backspace", "end"};
    std::string text;
    for (const Key& k : keys) {
        text += name[k.kind];
        if (k.kind == Key::character) text += k.ch;
        text += ' ';
    }
    return text;
}
}  // namespace

// One stream: the end of input is final for the whole program.
TEST(TermKeys, SequencesCharactersStrayBytesAndTheEnd) {
    EXPECT_EQ(names(keys_from("\x1b[A\x1bOB\x1b[1;5C\x1b[D\x1b[Z\ta\r\n\x7f"  // keys
                              "\x01\xc3\xa9\x1b[15~z"                      // control, non-ASCII, unknown sequence
                              "\x1bx\x1b")),                                  // Escape before a character, at the end
              "up down right left back_tab tab chara enter enter backspace "
              "none none none none charz "
              "escape charx escape ");
    EXPECT_EQ(term_next_key(0).kind, Key::end_of_input);
}
