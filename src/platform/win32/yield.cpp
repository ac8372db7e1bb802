#include <windows.h>

#include "platform/window.h"

void yield_to_window() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}
