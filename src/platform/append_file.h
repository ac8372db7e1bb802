#pragma once
// Appending a whole record to a shared file: one append-mode write of the
// whole text, so that several programs appending at once never interleave
// or lose each other's records. False with `error` set (the system's words)
// when the file cannot be opened or the text did not go out whole.
#include <string>
#include <string_view>

bool append_whole(const std::string& path, std::string_view text, std::string& error);
// The file's last byte; -1 when it is empty or cannot be read.
int file_last_byte(const std::string& path);
