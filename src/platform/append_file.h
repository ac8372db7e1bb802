#pragma once
// Appending a whole line to a file that several programs append to (the load
// history): under an exclusive lock on the file, a last line left unfinished
// (a full disk, a lost power) is ended first, then the line goes out in one
// append-mode write, so that writers appending at once never interleave or
// lose each other's lines. The lock is waited for at most 5 s. False with
// `error` set (the system's words) when the line was not written whole.
#include <string>
#include <string_view>

bool append_line(const std::string& path, std::string_view line, std::string& error);
