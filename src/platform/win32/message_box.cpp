#include <windows.h>

#include <string>

#include "platform/win32/dialog_system.h"

int dialog_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    UINT flags = MB_TASKMODAL;
    switch (buttons) {
        case BoxButtons::ok: flags |= MB_OK; break;
        case BoxButtons::ok_cancel: flags |= MB_OKCANCEL; break;
        case BoxButtons::yes_no: flags |= MB_YESNO; break;
        case BoxButtons::yes_no_cancel: flags |= MB_YESNOCANCEL; break;
        case BoxButtons::retry_cancel: flags |= MB_RETRYCANCEL; break;
        case BoxButtons::abort_retry_ignore: flags |= MB_ABORTRETRYIGNORE; break;
    }
    switch (icon) {
        case BoxIcon::none: break;
        case BoxIcon::error: flags |= MB_ICONERROR; break;
        case BoxIcon::warning: flags |= MB_ICONWARNING; break;
        case BoxIcon::information: flags |= MB_ICONINFORMATION; break;
        case BoxIcon::question: flags |= MB_ICONQUESTION; break;
    }
    return MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), flags);
}
