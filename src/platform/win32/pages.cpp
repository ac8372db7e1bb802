#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/pages.h"
#include "platform/win32/dialog_system.h"
#include "platform/text_lines.h"
#include "platform/window.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/page_window.h"

namespace {
constexpr int page_icon_id = 117;
constexpr int status_font_height = 16;

// The pages running, innermost last: a page opened over another is owned by it,
// so the page below takes no clicks until the one above ends.
std::vector<Page> g_running;
HICON page_icon = nullptr;
HFONT status_font = nullptr;
Cursor g_cursor = Cursor::arrow;
bool g_cursor_set = false;

// The common controls, the page icon and the status box font, once per run.
void prepare_window_system() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    page_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(page_icon_id));
    status_font = CreateFontA(status_font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                "Courier New");
}

HWND item(Page page, int control) { return GetDlgItem(page_hwnd(page), control); }

LRESULT send(Page page, int control, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendDlgItemMessageA(page_hwnd(page), control, message, w, l);
}

void dispatch(Page page, PageEvent event, int id) {
    if (!page->ended) page->handler(page, event, id);
}

// Returns true when it gave the focus to the default button, which then has it
// from the start as on the terminal, so Enter and Space both press it.
bool open_page(HWND hwnd, Page page) {
    page_hwnd(page) = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    if (page_icon) {
        SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(page_icon));
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(page_icon));
    }
    for (const ControlDecl& c : page->layout->controls) {
        if (c.kind != ControlKind::status_box) continue;
        if (status_font) send(page, c.id, WM_SETFONT, reinterpret_cast<WPARAM>(status_font), FALSE);
        send(page, c.id, EM_SETLIMITTEXT, 0);
    }
    dispatch(page, PageEvent::open, 0);
    for (const ControlDecl& c : page->layout->controls) {
        if (c.kind != ControlKind::default_button) continue;
        HWND button = item(page, c.id);
        // The page is not shown yet: the button's own style says whether it will be.
        if (page->ended || !(GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) || !IsWindowEnabled(button)) return false;
        SetFocus(button);
        return true;
    }
    return false;
}

// Sets the message's result for the dialog manager and reports it handled.
INT_PTR handled(HWND hwnd, LRESULT result) {
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK page_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) return open_page(hwnd, reinterpret_cast<Page>(lparam)) ? FALSE : TRUE;
    Page page = reinterpret_cast<Page>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!page) return FALSE;
    switch (message) {
        case WM_TIMER: dispatch(page, PageEvent::timer, int(wparam)); return TRUE;
        case WM_COMMAND:
            // Button clicks, Enter and Escape and posted commands; not the
            // edit and list notifications that share a control's id.
            if (HIWORD(wparam) != BN_CLICKED) return FALSE;
            dispatch(page, PageEvent::command, LOWORD(wparam));
            return TRUE;
        case WM_CLOSE: dispatch(page, PageEvent::close, 0); return TRUE;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: dispatch(page, PageEvent::click, 0); return TRUE;
        case WM_SETCURSOR:
            g_cursor_set = false;
            dispatch(page, PageEvent::cursor, 0);
            return g_cursor_set ? handled(hwnd, TRUE) : FALSE;
        default: return FALSE;
    }
}
}  // namespace

int dialog_page_run(const PageLayout& layout, PageHandler handler) {
    prepare_window_system();
    auto page = std::make_unique<DialogPage>();
    page->layout = &layout;
    page->handler = handler;
    const std::vector<uint32_t> dialog = dialog_template(layout);
    HWND owner = g_running.empty() ? nullptr : page_hwnd(g_running.back());
    g_running.push_back(page.get());
    const INT_PTR shown =
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                                owner, page_procedure, reinterpret_cast<LPARAM>(page.get()));
    g_running.pop_back();
    if (shown == -1) {
        message_box("Page " + std::to_string(layout.template_id) + " could not be shown (system error " +
                        std::to_string(GetLastError()) + ").\nThe program will now exit.",
                    "Error", BoxButtons::ok, BoxIcon::error);
    }
    // A page that ended other than by its own handler (the quit message ends
    // the dialog's loop with its default button's id) is a quit.
    return page->ended ? page->result : 0;
}

namespace {
void dialog_page_end(Page page, int result) {
    if (page->ended) return;
    page->ended = true;
    page->result = result;
    EndDialog(page_hwnd(page), result);
}

void dialog_page_post_command(Page page, int command) {
    PostMessageA(page_hwnd(page), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

void dialog_page_start_timer(Page page, int timer_id, uint32_t interval_ms) {
    SetTimer(page_hwnd(page), timer_id, interval_ms, nullptr);
}

void dialog_page_kill_timer(Page page, int timer_id) {
    KillTimer(page_hwnd(page), timer_id);
}

void dialog_page_set_title(Page page, std::string_view title) {
    SetWindowTextA(page_hwnd(page), std::string(title).c_str());
}

std::string window_text(HWND hwnd) {
    std::string text(std::size_t(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(std::size_t(GetWindowTextA(hwnd, text.data(), int(text.size()))));
    return text;
}

std::string dialog_page_title(Page page) {
    return window_text(page_hwnd(page));
}

void dialog_page_show(Page page, bool visible) {
    ShowWindow(page_hwnd(page), visible ? SW_SHOW : SW_HIDE);
}

void dialog_control_set_text(Page page, int control, std::string_view text) {
    SetDlgItemTextA(page_hwnd(page), control, std::string(text).c_str());
}

std::string dialog_control_text(Page page, int control) {
    HWND c = item(page, control);
    return c ? window_text(c) : std::string();
}

void dialog_control_enable(Page page, int control, bool enabled) {
    if (HWND c = item(page, control)) EnableWindow(c, enabled);
}

void dialog_control_show(Page page, int control, bool visible) {
    if (HWND c = item(page, control)) ShowWindow(c, visible ? SW_SHOW : SW_HIDE);
}

void dialog_control_check(Page page, int control, bool checked) {
    send(page, control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    // Tab reaches a radio group at its checked choice only: focusing an
    // unchecked radio would choose it.
    HWND c = item(page, control);
    if (!c || (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) != BS_RADIOBUTTON) return;
    const LONG style = GetWindowLongA(c, GWL_STYLE);
    SetWindowLongA(c, GWL_STYLE, checked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

bool dialog_control_checked(Page page, int control) {
    return send(page, control, BM_GETCHECK) == BST_CHECKED;
}

void dialog_control_set_read_only(Page page, int control, bool read_only) {
    send(page, control, EM_SETREADONLY, read_only);
}

void dialog_progress_set_range(Page page, int control, int low, int high) {
    send(page, control, PBM_SETRANGE32, low, high);
}

void dialog_progress_set_position(Page page, int control, int position) {
    send(page, control, PBM_SETPOS, position);
}

int dialog_progress_position(Page page, int control) {
    return int(send(page, control, PBM_GETPOS));
}

void dialog_list_set_items(Page page, int control, const std::vector<std::string>& items) {
    send(page, control, LB_RESETCONTENT);
    for (const std::string& s : items) send(page, control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void dialog_list_select(Page page, int control, int index) {
    send(page, control, LB_SETCURSEL, WPARAM(index));
}

int dialog_list_selection(Page page, int control) {
    const LRESULT index = send(page, control, LB_GETCURSEL);
    return index == LB_ERR ? -1 : int(index);
}

std::size_t dialog_edit_length(Page page, int control) {
    return std::size_t(send(page, control, WM_GETTEXTLENGTH));
}

std::optional<std::size_t> dialog_edit_line_start(Page page, int control, std::size_t line) {
    HWND c = item(page, control);
    if (!c) return std::nullopt;
    return text_line_start(window_text(c), line);
}

void dialog_edit_remove_front(Page page, int control, std::size_t count) {
    send(page, control, EM_SETSEL, 0, LPARAM(count));
    send(page, control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void dialog_edit_append(Page page, int control, std::string_view text) {
    const LRESULT end = send(page, control, WM_GETTEXTLENGTH);
    send(page, control, EM_SETSEL, WPARAM(end), end);
    send(page, control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::string(text).c_str()));
    send(page, control, EM_SCROLLCARET);
}

Cursor dialog_set_cursor(Cursor cursor) {
    const char* shape = cursor == Cursor::wait ? IDC_WAIT : cursor == Cursor::app_starting ? IDC_APPSTARTING : IDC_ARROW;
    SetCursor(LoadCursorA(nullptr, shape));
    g_cursor_set = true;
    return std::exchange(g_cursor, cursor);
}
}  // namespace

const PageFunctions dialog_page_functions{
    .page_end = dialog_page_end,
    .page_post_command = dialog_page_post_command,
    .page_start_timer = dialog_page_start_timer,
    .page_kill_timer = dialog_page_kill_timer,
    .page_set_title = dialog_page_set_title,
    .page_title = dialog_page_title,
    .page_show = dialog_page_show,
    .control_set_text = dialog_control_set_text,
    .control_text = dialog_control_text,
    .control_enable = dialog_control_enable,
    .control_show = dialog_control_show,
    .control_check = dialog_control_check,
    .control_checked = dialog_control_checked,
    .control_set_read_only = dialog_control_set_read_only,
    .progress_set_range = dialog_progress_set_range,
    .progress_set_position = dialog_progress_set_position,
    .progress_position = dialog_progress_position,
    .list_set_items = dialog_list_set_items,
    .list_select = dialog_list_select,
    .list_selection = dialog_list_selection,
    .edit_length = dialog_edit_length,
    .edit_line_start = dialog_edit_line_start,
    .edit_remove_front = dialog_edit_remove_front,
    .edit_append = dialog_edit_append,
    .set_cursor = dialog_set_cursor,
};
