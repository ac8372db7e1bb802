#include <windows.h>

#include <atomic>
#include <csignal>

#include "platform/batch/batch_pages.h"
#include "platform/system_window.h"
#include "platform/win32/dialog_system.h"

namespace {
std::atomic<int> g_end_signal{0};

// Ctrl-C or Ctrl-Break at the console a run from the command line writes to:
// the first asks the program to end as a Cancel would; a second ends it at once.
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    int none = 0;
    return g_end_signal.compare_exchange_strong(none, SIGINT) ? TRUE : FALSE;
}

int console_end_request() { return g_end_signal; }

// The wizard is ended through its pages' close boxes, which the pages handle
// themselves; only a run from the command line has a console to take Ctrl-C from.
void take_no_end_requests(void (*stop_between_pages)()) { page_model_stop_between_pages(stop_between_pages); }

void take_console_end_requests(void (*stop_between_pages)()) {
    page_model_stop_between_pages(stop_between_pages);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

// The pages said it all; a GUI program has no screen of lines to leave text on.
void nothing_after_pages(std::string_view) {}
}  // namespace

void dialog_yield() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
    }
    // Keys go through the active page's dialog handling, as in the page's own
    // loop, so Enter and Escape still reach the page while a transfer runs.
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageA(active, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

const WindowSystem& wizard_window_system() {
    static const WindowSystem system{
        .pages = &dialog_page_functions,
        .page_run = dialog_page_run,
        .pick_file = dialog_pick_file,
        .browse_folder = dialog_browse_folder,
        .message_box = dialog_message_box,
        .yield_to_window = dialog_yield,
        .take_end_requests = take_no_end_requests,
        .end_request = console_end_request,
        .show_after_pages = nothing_after_pages,
    };
    return system;
}

// A run from the command line shows no dialogs: its pages run in the page
// model, answered by policy.
const WindowSystem& command_line_window_system() {
    static const WindowSystem system = batch_window_system(take_console_end_requests, console_end_request);
    return system;
}
