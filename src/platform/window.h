#pragma once
// Window seam: message boxes, the message pump and requests to end the program,
// through the backend the program's main installs (window_system.h).
#include <string_view>

enum class BoxButtons { ok, ok_cancel, yes_no, yes_no_cancel, retry_cancel, abort_retry_ignore };
enum class BoxIcon { none, error, warning, information, question };

// Button results, numbered as the Win32 IDOK..IDNO values.
enum BoxResult : int {
    BOX_OK = 1, BOX_CANCEL = 2, BOX_ABORT = 3, BOX_RETRY = 4, BOX_IGNORE = 5, BOX_YES = 6, BOX_NO = 7
};

// Shows a task-modal box with no owner window and returns the button pressed.
int message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon);

// Takes at most one pending message of the thread's queue without waiting and
// dispatches it; a quit message taken this way is posted again so that the
// modal loop that owns the thread still ends.
void yield_to_window();

// From this call on a request from outside to end the program (on a terminal:
// Ctrl-C, the terminal closing, SIGTERM) no longer ends the process at once:
// each page running or opened afterwards is asked to close, as by its close
// box, and message boxes take their last button. While no page runs,
// yield_to_window calls `stop_between_pages` (nullptr for none) once instead.
void take_end_requests(void (*stop_between_pages)());
// The signal that asked the program to end, 0 while none did.
int end_request();
// After the last page: a terminal leaves the full screen and shows the text on
// the normal screen, where it stays; a windowed program and a run from the
// command line show nothing.
void show_after_pages(std::string_view text);
