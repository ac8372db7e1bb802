#pragma once
// Process services: the temporary folder, the program's version block and
// the diagnostic notes to the debugger output.
#include <cstdio>
#include <string>
#include <string_view>

// C:\Temp on Windows, /tmp elsewhere; created if missing.
std::string temp_folder();
// The log file's path: C:\Temp\Loader.LOG on Windows; elsewhere one of the
// user's own (the state folder, else TMPDIR, else /tmp with the user's id in
// the name), its folder created.
std::string log_file_path();

enum class VersionItem { product_name, product_version, file_description, legal_copyright };
// A text of the program's version block: on Windows read from the executable's
// own version resource, elsewhere (and for a Windows program built without
// one, such as a test) the values built in.
std::string version_text(VersionItem item);
// The value built into the program, from which the version resource is made.
const char* built_in_version_text(VersionItem item);

// A note for a debugger attached to the program; nothing without one.
void debug_output(std::string_view text);
// Names the operating system to the debugger output.
void report_system_identity();
// A run from the command line writes to the console it was started from,
// except where its caller redirected a stream. A Windows GUI program has no
// console of its own; started without one, it writes nowhere and its exit
// status tells the outcome.
void use_caller_console();
// The stream writes to a terminal (a console on Windows).
bool stream_is_terminal(std::FILE* stream);
// The width in columns of the terminal the stream writes to; 0 when it writes
// to none or the width is unknown.
int stream_columns(std::FILE* stream);
