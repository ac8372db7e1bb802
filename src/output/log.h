#pragma once
// The loader log (<temp>/Loader.LOG): one line per call, flushed at once.
#include <string>
#include <string_view>

void log_open();
// The same at another path (tests, tools).
void log_open_path(const std::string& path);
// Writes the line and "\n", flushes; 0 on success, 0 when no log is open.
int log_write(std::string_view line);
void log_close();
bool log_is_open();
