#include "uploader_windows.h"

#include <commctrl.h>

#include <algorithm>

#include "app/page_layouts.h"
#include "setup/setup_layout.h"
#include "version.h"

namespace {
// A page busy in its own work (a pause, the link) answers later than this
// only when it is hung.
constexpr UINT answer_ms = 5000;
constexpr DWORD terminate_ms = 5000;
constexpr int box_text_id = 0xFFFF;

std::vector<const Uploader*> g_started;

std::optional<LRESULT> send_bounded(HWND window, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutA(window, message, w, l, SMTO_ABORTIFHUNG, answer_ms, &result))
        return std::nullopt;
    return LRESULT(result);
}

HWND control(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) fail("no control " + std::to_string(id) + " on \"" + caption_of(dialog) + "\"");
    return c;
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM search_address) {
    auto* search = reinterpret_cast<Search*>(search_address);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window) && class_of(window) == "#32770")
        search->found.push_back(window);
    return TRUE;
}

std::string program_title() { return HTAWS_PRODUCT_NAME ", Version " HTAWS_PRODUCT_VERSION; }
}  // namespace

// The windows each started uploader shows are told while they still exist:
// unwinding terminates the programs.
void fail(const std::string& what) { throw Failure(what + "\n" + Uploader::describe_all()); }

std::optional<std::string> try_text(HWND window) {
    const auto length = send_bounded(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) return std::nullopt;
    std::string text(std::size_t(*length) + 1, '\0');
    const auto copied = send_bounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied) return std::nullopt;
    text.resize(std::min(std::size_t(*copied), text.size() - 1));
    return text;
}

std::string item_text(HWND dialog, int id) {
    const auto text = try_text(control(dialog, id));
    if (!text) fail("control " + std::to_string(id) + " of \"" + caption_of(dialog) + "\" did not give its text");
    return *text;
}

bool item_checked(HWND dialog, int id) {
    const auto state = send_bounded(control(dialog, id), BM_GETCHECK, 0, 0);
    if (!state) fail("radio " + std::to_string(id) + " did not give its state");
    return *state == BST_CHECKED;
}

bool item_enabled(HWND dialog, int id) { return IsWindowEnabled(control(dialog, id)); }
bool item_visible(HWND dialog, int id) { return IsWindowVisible(control(dialog, id)); }
bool item_read_only(HWND dialog, int id) { return GetWindowLongA(control(dialog, id), GWL_STYLE) & ES_READONLY; }

std::optional<int> progress_position(HWND dialog, int id) {
    const auto position = send_bounded(GetDlgItem(dialog, id), PBM_GETPOS, 0, 0);
    return position ? std::optional<int>(int(*position)) : std::nullopt;
}

void set_item_text(HWND dialog, int id, const std::string& text) {
    if (!send_bounded(control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        fail("could not type \"" + text + "\" into control " + std::to_string(id));
}

void click(HWND dialog, int id) {
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(dialog, id))))
        fail("could not press " + std::to_string(id) + " on \"" + caption_of(dialog) + "\"");
}

void press_escape(HWND dialog) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus &&
        IsChild(dialog, thread.hwndFocus))
        target = thread.hwndFocus;
    if (!PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0)) fail("could not press Escape on \"" + caption_of(dialog) + "\"");
}

std::string caption_of(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string box_text(HWND box) {
    HWND text = GetDlgItem(box, box_text_id);
    return text ? try_text(text).value_or("") : "";
}

bool is_page_caption(std::string_view caption) {
    if (caption.starts_with(program_title())) return true;
    for (const PageLayout* layout : {app_page_layout(WAITING_PAGE), app_page_layout(TRANSFER_PAGE),
                                     &reset_mode_layout(), &version_select_layout()})
        if (caption == layout->caption) return true;
    return false;
}

// The uploader runs in a job that ends it when the driver's handle to the
// job closes, so that it does not outlive a driver that was killed.
Uploader::Uploader(const std::string& program, const std::string& folder) {
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job_ || !SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        fail("could not make a job for the uploader: error " + std::to_string(GetLastError()));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command_line = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &process_)) {
        CloseHandle(job_);
        fail("could not start " + program + " in " + folder + ": error " + std::to_string(GetLastError()));
    }
    if (!AssignProcessToJobObject(job_, process_.hProcess) || ResumeThread(process_.hThread) == DWORD(-1)) {
        const DWORD error = GetLastError();
        TerminateProcess(process_.hProcess, 255);
        for (HANDLE h : {process_.hThread, process_.hProcess, job_}) CloseHandle(h);
        fail("could not start the uploader in its job: error " + std::to_string(error));
    }
    g_started.push_back(this);
}

Uploader::~Uploader() {
    std::erase(g_started, this);
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 255);
        WaitForSingleObject(process_.hProcess, terminate_ms);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    CloseHandle(job_);
}

std::vector<HWND> Uploader::dialogs() const {
    Search search{process_.dwProcessId, {}};
    EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Uploader::find(std::string_view caption) const {
    for (HWND window : dialogs())
        if (caption_of(window) == caption) return window;
    return nullptr;
}

HWND Uploader::showing(std::string_view caption) const {
    for (HWND window : dialogs()) {
        const std::string shown = caption_of(window);
        if (!is_page_caption(shown))
            fail("box \"" + shown + "\" saying \"" + box_text(window) + "\" while waiting for \"" +
                 std::string(caption) + "\"");
    }
    return find(caption);
}

HWND Uploader::await_page(std::string_view caption, DWORD bound_ms) const {
    HWND page = poll_for([&] { return showing(caption); }, bound_ms);
    if (!page) fail("no page \"" + std::string(caption) + "\" within " + std::to_string(bound_ms) + " ms");
    return page;
}

HWND Uploader::await_box(std::string_view caption, DWORD bound_ms) const {
    HWND box = poll_for([&] { return find(caption); }, bound_ms);
    if (!box) fail("no box \"" + std::string(caption) + "\" within " + std::to_string(bound_ms) + " ms");
    return box;
}

DWORD Uploader::await_exit(DWORD bound_ms) {
    if (WaitForSingleObject(process_.hProcess, bound_ms) != WAIT_OBJECT_0)
        fail("the uploader still runs " + std::to_string(bound_ms) + " ms after it was asked to end");
    DWORD status = 0;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
}

std::string Uploader::describe() const {
    std::string text = "uploader " + std::to_string(process_.dwProcessId) + " shows:";
    const std::vector<HWND> shown = dialogs();
    if (shown.empty()) text += " nothing";
    for (HWND window : shown) {
        const std::string caption = caption_of(window);
        text += "\n  \"" + caption + "\"";
        if (!is_page_caption(caption)) text += " saying \"" + box_text(window) + "\"";
    }
    return text;
}

std::string Uploader::describe_all() {
    std::string text;
    for (const Uploader* started : g_started) text += started->describe() + "\n";
    return text;
}
