#include <windows.h>

#include "platform/window.h"

void yield_to_window() {
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

// A Windows program is ended through its pages' close boxes, which the pages
// handle themselves; nothing arrives from outside.
void take_end_requests(void (*)()) {}

int end_request() { return 0; }
