#pragma once
// The Win32 backend's record of a running page: the page's declaration,
// handler and end, and its dialog window.
#include <windows.h>

#include "platform/page_model.h"

struct DialogPage : PageWindow {
    HWND hwnd = nullptr;
};

// Every page the dialog backend hands to a handler is a DialogPage.
inline HWND& page_hwnd(Page page) { return static_cast<DialogPage*>(page)->hwnd; }
