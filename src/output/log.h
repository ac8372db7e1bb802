#pragma once
// The loader log (Loader.LOG, log_file_path): one line per call, flushed at once.
// A log that cannot be opened or written is a warning and the program runs on.
#include <string>
#include <string_view>

void log_open();
// The same at another path (tests, tools).
void log_open_path(const std::string& path);
// Writes the line and "\n", flushes; 0 on success, 0 when no log is open.
int log_write(std::string_view line);
void log_close();
bool log_is_open();
// The text is one of the log's own warnings (open, write or close).
bool is_log_warning(std::string_view text);
