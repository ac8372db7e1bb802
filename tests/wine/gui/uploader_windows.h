#pragma once
// The real uploader as a second program sees it: a process started in a
// top-level directory, its dialogs found by caption, their controls read and
// pressed through posted messages. Every wait is bounded; a failure throws.
#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

constexpr DWORD poll_ms = 50;
constexpr DWORD default_bound_ms = 20000;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& what);

// Calls probe every poll_ms until it yields a true value or bound_ms have
// passed; returns its last value.
template <class Probe>
auto poll_for(Probe probe, DWORD bound_ms = default_bound_ms) {
    const ULONGLONG end = GetTickCount64() + bound_ms;
    for (;;) {
        auto got = probe();
        if (got || GetTickCount64() >= end) return got;
        Sleep(poll_ms);
    }
}

// A dialog's control, read without waiting longer than a hung window allows;
// nullopt when the window is gone or did not answer.
std::optional<std::string> try_text(HWND window);
std::string item_text(HWND dialog, int id);
bool item_checked(HWND dialog, int id);
bool item_enabled(HWND dialog, int id);
bool item_visible(HWND dialog, int id);
bool item_read_only(HWND dialog, int id);
std::optional<int> progress_position(HWND dialog, int id);
void set_item_text(HWND dialog, int id, const std::string& text);

// Presses a button as its click would: WM_COMMAND with BN_CLICKED, posted so
// that a handler that opens a box does not hold the driver.
void click(HWND dialog, int id);
// Escape as a key press, so that it goes through the dialog's own handling.
void press_escape(HWND dialog);

// A program the driver started. Dropping it while it still runs terminates it.
class Uploader {
public:
    Uploader(const std::string& program, const std::string& folder);
    ~Uploader();
    Uploader(const Uploader&) = delete;
    Uploader& operator=(const Uploader&) = delete;

    // The visible dialog with this exact caption, or nullptr. Fails when a
    // box the scenario did not expect shows.
    HWND showing(std::string_view caption) const;
    HWND await_page(std::string_view caption, DWORD bound_ms = default_bound_ms) const;
    // A message box with this caption; it is not a page.
    HWND await_box(std::string_view caption, DWORD bound_ms = default_bound_ms) const;
    // The exit status; fails (the program is then terminated) when it keeps running.
    DWORD await_exit(DWORD bound_ms = default_bound_ms);
    std::vector<HWND> dialogs() const;
    std::string describe() const;

    static std::string describe_all();

private:
    HWND find(std::string_view caption) const;
    HANDLE job_ = nullptr;
    PROCESS_INFORMATION process_{};
};

// The text of a message box: Wine's is the static control 0xFFFF.
std::string box_text(HWND box);
std::string caption_of(HWND window);
// Pages are the splash and setup page (captioned with the program title) and
// the captions of the declared layouts; any other dialog is a message box.
bool is_page_caption(std::string_view caption);
