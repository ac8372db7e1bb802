#pragma once
// The Win32 backend's record of a running page: its declaration, handler and
// dialog window.
#include <windows.h>

#include "platform/pages.h"

struct PageWindow {
    const PageLayout* layout = nullptr;
    PageHandler handler = nullptr;
    HWND hwnd = nullptr;
    bool ended = false;
    int result = 0;
};
