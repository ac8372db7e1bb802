#pragma once
// Window seam: message boxes and the message pump for now. The program links
// one backend (Win32, terminal); tests link the scripted backend.
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
