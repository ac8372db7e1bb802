#pragma once
// The steps the scenarios of gui_driver share: the pages' captions, reading
// the uploader's log and the simulated unit's kept contents, and the moves
// through the setup, waiting and transfer pages.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <ios>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/loader_function.h"
#include "responsiveness_probe.h"
#include "uploader_windows.h"

constexpr DWORD transfer_bound_ms = 40000;
extern const char* const log_path;
extern const std::string program_title, setup_caption, waiting_caption, transfer_caption;
// The setup page's caption when no unit of the served model was seen (an
// earlier-generation unit, or tables that never checked out).
extern const std::string no_instrument_caption;

// The driver's arguments: the uploader, its top-level directory and the
// case's work folder (Windows paths). The work folder holds "unit", the
// simulated unit's kept contents (htaws-unit-sim --keep), and what the case
// set up beside it ("unit-parameters.txt", ...).
struct Arguments {
    std::string uploader, top, work;
    std::string unit_file(const std::string& name) const { return work + "\\unit\\" + name; }
};

void expect(bool holds, const std::string& what);
void expect_text(const std::string& got, const std::string& want, const std::string& what);
bool ends_with(const std::string& text, const std::string& end);
std::string read_file(const std::string& path, std::streamoff from = 0);
std::streamoff file_size(const std::string& path);
// The text's non-empty lines, whatever their ending.
std::vector<std::string> lines_of(const std::string& text);
// The uploader's log since `from` holds these texts, in this order.
void expect_logged(std::streamoff from, std::initializer_list<std::string_view> texts);

// One line of the unit's "loads.txt": a load it took, with its verdict.
struct KeptLoad {
    std::string number, mode, checksum, verdict, name;
    unsigned long long length = 0;
};
std::vector<KeptLoad> kept_loads(const Arguments& a);

// Clicks a radio button of the setup page and waits until the page took it.
void choose(HWND setup, LoaderFunction function);
void exit_from_setup(Uploader& uploader, HWND setup);
// Next on the setup page, through the waiting page.
HWND reach_transfer_page(const Uploader& uploader, HWND setup);
void await_status(HWND transfer, const std::string& line);

// What a transfer page showed until it returned to the setup page by itself.
struct TransferSeen {
    HWND setup = nullptr;
    std::set<std::string> titles;
    int progress = 0;
    std::string status;         // the status box's last text
    std::string transfer_line;  // the transfer line's last text
};
TransferSeen watch_transfer(const Uploader& uploader, HWND transfer, DWORD bound_ms = transfer_bound_ms);
// The page showed its progress and these texts, then ended by itself.
void expect_completed(const TransferSeen& seen, const std::string& title, const std::string& status);

// Reads the transfer page into `seen` until `done` holds; false when bound_ms
// passed first.
bool observe_transfer(HWND transfer, TransferSeen& seen, const std::function<bool()>& done, DWORD bound_ms);
// Watches the transfer page until it closes without returning to the setup
// page (the program then ends); fails when a box shows meanwhile.
TransferSeen watch_transfer_to_close(const Uploader& uploader, HWND transfer, DWORD bound_ms = transfer_bound_ms);
// The unit took load `index` of its loads.txt under `name` and holds the bytes
// of the file at `path` from `from` on (the unit keeps at most the first
// 64 MiB of a load's data).
void expect_kept_file(const Arguments& a, std::size_t index, const std::string& name, const std::string& path,
                      std::streamoff from = 0);
// The notes the unit made ("notes.txt"), one a line; none when it made none.
std::vector<std::string> unit_notes(const Arguments& a);

// The uploader started in the top-level directory under the responsiveness
// probe, at its setup page; the log's length before it, for expect_logged.
struct ProbedRun {
    explicit ProbedRun(const Arguments& a);
    std::streamoff log_before;
    Uploader uploader;
    ResponsivenessProbe probe;
    HWND setup;
};
// A command the page takes without a control for it (a key of its own).
void post_command(HWND dialog, int id);
// Answers the box of this caption, which must say `text`, with `button`.
void answer_box(const Uploader& uploader, const std::string& caption, const std::string& text, int button,
                DWORD bound_ms = transfer_bound_ms);
