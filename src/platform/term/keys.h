#pragma once
// The technician's keys, decoded from the bytes a terminal sends.

struct Key {
    enum Kind { none, character, enter, escape, tab, back_tab, up, down, left, right, backspace, end_of_input };
    Kind kind = none;
    char ch = 0;  // the printable character of Kind::character
};

// The next key, waiting at most timeout_ms (-1: until a key or a signal);
// Kind::none when nothing came; Kind::end_of_input also once the program was
// asked to end. Bytes that are no key are dropped.
Key term_next_key(int timeout_ms);
// Drops the keys typed ahead on a terminal, read or not.
void drop_typed_ahead();
