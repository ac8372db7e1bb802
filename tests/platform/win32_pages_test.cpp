// The Win32 page backend under a real window system: pages built from their
// declarations, events in order, control state, and the message pump.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/status_box.h"
#include "catalogue/loader_function.h"
#include "loads/erase_dialog.h"
#include "platform/clock.h"
#include "platform/pages.h"
#include "platform/win32/page_window.h"
#include "platform/window.h"
#include "setup/setup_layout.h"

namespace {
const PageLayout* g_layout = nullptr;
std::vector<std::string> g_failures;

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

const char* expected_class(ControlKind kind) {
    switch (kind) {
        case ControlKind::text_box:
        case ControlKind::status_box: return "Edit";
        case ControlKind::list_box: return "ListBox";
        case ControlKind::progress: return "msctls_progress32";
        case ControlKind::static_text:
        case ControlKind::picture:
        case ControlKind::separator: return "Static";
        default: return "Button";
    }
}

void fail(const ControlDecl& d, const std::string& what) {
    g_failures.push_back(std::string(g_layout->caption) + " control " + std::to_string(d.id) + " \"" + d.text +
                         "\": " + what);
}

// Compares every child window, in creation order, with its declaration.
void check_controls(HWND dialog) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlDecl& d : g_layout->controls) {
        if (!child) return fail(d, "missing");
        // The dialog manager scales position and size each on its own.
        RECT want{d.x, d.y, d.w, d.h};
        MapDialogRect(dialog, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT got{};
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        // The system draws an etched line at its own width.
        if (d.kind == ControlKind::separator) got.right = want.right;
        if (!EqualRect(&want, &got))
            fail(d, "placed at " + std::to_string(got.left) + "," + std::to_string(got.top) + " " +
                        std::to_string(got.right - got.left) + "x" + std::to_string(got.bottom - got.top) + ", not " +
                        std::to_string(want.left) + "," + std::to_string(want.top) + " " +
                        std::to_string(want.right - want.left) + "x" + std::to_string(want.bottom - want.top));
        if (d.id != -1 && GetDlgCtrlID(child) != d.id) fail(d, "id " + std::to_string(GetDlgCtrlID(child)));
        if (class_of(child) != expected_class(d.kind)) fail(d, "class " + class_of(child));
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (d.kind == ControlKind::default_button && (style & BS_TYPEMASK) != BS_DEFPUSHBUTTON) fail(d, "not default");
        if (d.kind == ControlKind::status_box && !(style & ES_MULTILINE)) fail(d, "single line");
        if ((d.kind == ControlKind::text_box || d.kind == ControlKind::status_box) &&
            bool(style & ES_READONLY) != bool(d.flags & CF_READ_ONLY))
            fail(d, "read-only state");
        if (d.kind == ControlKind::static_text &&
            ((d.flags & CF_CENTRED) ? SS_CENTER : SS_LEFT) != (style & SS_TYPEMASK))
            fail(d, "alignment");
        if (bool(d.flags & CF_SUNKEN) != bool(style & SS_SUNKEN) && d.kind == ControlKind::static_text)
            fail(d, "sunken state");
        if (bool(style & WS_VISIBLE) == bool(d.flags & CF_HIDDEN)) fail(d, "visibility");
        if (bool(IsWindowEnabled(child)) == bool(d.flags & CF_DISABLED)) fail(d, "enabled state");
        if (d.kind == ControlKind::picture) {
            if (!SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0)) fail(d, "no bitmap");
        } else if (d.kind != ControlKind::progress && d.kind != ControlKind::list_box) {
            char text[512] = {};
            GetWindowTextA(child, text, sizeof text);
            if (std::string(text) != d.text) fail(d, std::string("text \"") + text + "\"");
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    if (child) g_failures.push_back(std::string(g_layout->caption) + ": more windows than declared");
}

void check_on_open(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    HWND dialog = page_hwnd(page);
    RECT want{0, 0, g_layout->w, g_layout->h};
    MapDialogRect(dialog, &want);
    RECT client{};
    GetClientRect(dialog, &client);
    if (client.right != want.right || client.bottom != want.bottom)
        g_failures.push_back(std::string(g_layout->caption) + ": page size");
    if (page_title(page) != g_layout->caption) g_failures.push_back(std::string(g_layout->caption) + ": caption");
    if (bool(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) != g_layout->system_menu)
        g_failures.push_back(std::string(g_layout->caption) + ": system menu");
    check_controls(dialog);
    page_end(page, 7);
}

TEST(Win32Pages, EveryDeclaredPageOpensAsDeclared) {
    std::vector<const PageLayout*> layouts{&setup_page_layout(), &reset_mode_layout(), &version_select_layout()};
    for (int id : {SPLASH_RK5200H, SPLASH_FAMILY, SPLASH_NO_UNIT, SPLASH_OTHER_UNIT, WAITING_PAGE, TRANSFER_PAGE})
        layouts.push_back(app_page_layout(id));
    for (DatabaseKind kind : {DatabaseKind::terrain, DatabaseKind::obstacle, DatabaseKind::navigation, DatabaseKind::overlay})
        layouts.push_back(&erase_dialog_layout(kind));
    for (const PageLayout* layout : layouts) {
        g_layout = layout;
        g_failures.clear();
        EXPECT_EQ(page_run(*layout, check_on_open), 7) << layout->template_id;
        for (const std::string& f : g_failures) ADD_FAILURE() << f;
    }
}

std::vector<std::string> g_events;

void recording_handler(Page page, PageEvent event, int id) {
    switch (event) {
        case PageEvent::open:
            g_events.push_back("open");
            page_start_timer(page, 5, 10);
            page_post_command(page, ID_NEXT);
            page_post_command(page, 42);
            break;
        case PageEvent::command: g_events.push_back("command " + std::to_string(id)); break;
        case PageEvent::timer:
            g_events.push_back("timer " + std::to_string(id));
            page_kill_timer(page, id);
            g_events.push_back(SendMessageA(page_hwnd(page), WM_SETCURSOR, WPARAM(page_hwnd(page)),
                                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE))
                                   ? "cursor taken"
                                   : "cursor left");
            PostMessageA(page_hwnd(page), WM_LBUTTONUP, 0, 0);
            break;
        case PageEvent::click:
            g_events.push_back("click");
            PostMessageA(page_hwnd(page), WM_CLOSE, 0, 0);
            break;
        case PageEvent::close:
            g_events.push_back("close");
            page_end(page, 3);
            page_post_command(page, 43);
            break;
        case PageEvent::cursor:
            g_events.push_back("cursor");
            set_cursor(Cursor::wait);
            break;
    }
}

TEST(Win32Pages, EventsReachTheHandlerInOrderUntilThePageEnds) {
    g_events.clear();
    EXPECT_EQ(page_run(*app_page_layout(WAITING_PAGE), recording_handler), 3);
    EXPECT_EQ(g_events, (std::vector<std::string>{"open", "command 1001", "command 42", "timer 5", "cursor",
                                                  "cursor taken", "click", "close"}));
    set_cursor(Cursor::arrow);
}

void controls_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    control_set_text(page, ID_OPERATION_TITLE, "Read Configuration");
    EXPECT_EQ(control_text(page, ID_OPERATION_TITLE), "Read Configuration");
    control_show(page, ID_TRANSFER_LINE, true);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(page_hwnd(page), ID_TRANSFER_LINE), GWL_STYLE) & WS_VISIBLE);
    control_enable(page, ID_BACK, true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_hwnd(page), ID_BACK)));
    progress_set_range(page, ID_PROGRESS, 0, 1000);
    progress_set_position(page, ID_PROGRESS, 999);
    EXPECT_EQ(progress_position(page, ID_PROGRESS), 999);
    // The read-only status box still takes the program's text.
    edit_append(page, ID_STATUS_BOX, "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(edit_length(page, ID_STATUS_BOX), 17u);
    EXPECT_EQ(edit_line_start(page, ID_STATUS_BOX, 2), 10u);
    EXPECT_EQ(edit_line_start(page, ID_STATUS_BOX, 4), std::nullopt);
    edit_remove_front(page, ID_STATUS_BOX, 5);
    EXPECT_EQ(control_text(page, ID_STATUS_BOX), "two\r\nthree\r\n");
    EXPECT_EQ(control_text(page, 4242), "");
    page_end(page, 1);
}

void list_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    list_set_items(page, ID_VERSION_LIST, {"Version 2.1", "Version 2.0"});
    EXPECT_EQ(list_selection(page, ID_VERSION_LIST), -1);
    list_select(page, ID_VERSION_LIST, 1);
    EXPECT_EQ(list_selection(page, ID_VERSION_LIST), 1);
    list_set_items(page, ID_VERSION_LIST, {"Version 3.0"});
    EXPECT_EQ(list_selection(page, ID_VERSION_LIST), -1);
    page_end(page, 1);
}

void radio_handler(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        control_check(page, LF_TERRAIN, true);
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(page_hwnd(page), LF_TERRAIN), GWL_STYLE) & WS_TABSTOP);
        EXPECT_FALSE(GetWindowLongA(GetDlgItem(page_hwnd(page), LF_AIRPORT), GWL_STYLE) & WS_TABSTOP)
            << "Tab must not reach an unchecked choice: focusing it would choose it";
        // A click does not check a radio by itself: the page decides.
        PostMessageA(GetDlgItem(page_hwnd(page), LF_AIRPORT), BM_CLICK, 0, 0);
    } else if (event == PageEvent::command && id == LF_AIRPORT) {
        EXPECT_TRUE(control_checked(page, LF_TERRAIN));
        EXPECT_FALSE(control_checked(page, LF_AIRPORT));
        page_end(page, 1);
    }
}

TEST(Win32Pages, ControlsKeepWhatThePagesSet) {
    EXPECT_EQ(page_run(*app_page_layout(TRANSFER_PAGE), controls_handler), 1);
    EXPECT_EQ(page_run(version_select_layout(), list_handler), 1);
    EXPECT_EQ(page_run(setup_page_layout(), radio_handler), 1);
}

bool g_cancelled = false;

// A long operation inside a timer tick, as a transfer runs: Escape pressed in
// the page must still reach it as Cancel through the pump.
void busy_handler(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        page_start_timer(page, 1, 10);
    } else if (event == PageEvent::timer) {
        page_kill_timer(page, 1);
        PostMessageA(page_hwnd(page), WM_KEYDOWN, VK_ESCAPE, 0);
        const uint64_t give_up = now_ms() + 3000;
        while (!g_cancelled && now_ms() < give_up) yield_to_window();
    } else if (event == PageEvent::command && id == CMD_CANCEL) {
        g_cancelled = true;
        page_end(page, 0);
    }
}

void quitting_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    page_start_timer(page, 1, 10);
    PostQuitMessage(9);
    yield_to_window();
}

TEST(Win32Pages, ThePumpKeepsEscapeAndQuitWorkingDuringAnOperation) {
    g_cancelled = false;
    EXPECT_EQ(page_run(*app_page_layout(TRANSFER_PAGE), busy_handler), 0);
    EXPECT_TRUE(g_cancelled);

    // The quit taken by the pump is posted again: the page's own loop ends on it.
    EXPECT_EQ(page_run(*app_page_layout(WAITING_PAGE), quitting_handler), 0) << "a quit, not the default button";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 9u);
}

void status_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    status_attach(page, ID_STATUS_BOX);
    std::string line(38, 'x');
    line += "\r\n";
    for (int i = 0; i < 500; ++i) status_box_append(line);
    status_box_append("y");
    const std::size_t before = edit_length(page, ID_STATUS_BOX);
    status_box_append("last\r\n");
    // Past 20000 characters the first 50 lines go before the new text comes.
    EXPECT_EQ(before, 20001u);
    EXPECT_EQ(edit_length(page, ID_STATUS_BOX), 20001u - 50 * 40 + 6);
    status_detach();
    page_end(page, 1);
}

TEST(Win32Pages, TheStatusBoxIsTrimmedByWholeLines) {
    EXPECT_EQ(page_run(*app_page_layout(TRANSFER_PAGE), status_handler), 1);
}
}  // namespace

namespace {
HWND g_outer = nullptr;
bool g_outer_usable_under_dialog = true;

void inner_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    g_outer_usable_under_dialog = IsWindowEnabled(g_outer);
    page_end(page, 2);
}

void outer_handler(Page page, PageEvent event, int) {
    if (event != PageEvent::open) return;
    g_outer = page_hwnd(page);
    EXPECT_EQ(page_run(reset_mode_layout(), inner_handler), 2);
    EXPECT_TRUE(IsWindowEnabled(g_outer));
    page_end(page, 0);
}

TEST(Win32Pages, ADialogOverAPageKeepsThePageFromBeingUsed) {
    EXPECT_EQ(page_run(setup_page_layout(), outer_handler), 0);
    EXPECT_FALSE(g_outer_usable_under_dialog);
}
}  // namespace

namespace {
std::vector<int> g_commands_seen;

// The reset mode dialog opens with Cancel focused: Enter alone resets nothing.
void enter_handler(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        page_start_timer(page, 1, 10);
    } else if (event == PageEvent::timer) {
        page_kill_timer(page, 1);
        EXPECT_EQ(GetFocus(), GetDlgItem(page_hwnd(page), ID_RESET_CANCEL));
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    } else if (event == PageEvent::command) {
        g_commands_seen.push_back(id);
        page_end(page, id);
    }
}

TEST(Win32Pages, ThePageOpensWithItsDefaultButtonFocused) {
    g_commands_seen.clear();
    EXPECT_EQ(page_run(reset_mode_layout(), enter_handler), ID_RESET_CANCEL);
    EXPECT_EQ(g_commands_seen, std::vector<int>{ID_RESET_CANCEL});
}
}  // namespace
