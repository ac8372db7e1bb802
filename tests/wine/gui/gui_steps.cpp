#include "gui_steps.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/page_layouts.h"
#include "formats/crc.h"
#include "setup/setup_layout.h"
#include "version.h"

const char* const log_path = "C:\\Temp\\Loader.LOG";
const std::string program_title = HTAWS_PRODUCT_NAME ", Version " HTAWS_PRODUCT_VERSION;
const std::string setup_caption = program_title + "  --  Setup for RK5200H";
const std::string no_instrument_caption = program_title + "  --  NO INSTRUMENT DETECTED ";
const std::string waiting_caption = app_page_layout(WAITING_PAGE)->caption;
const std::string transfer_caption = app_page_layout(TRANSFER_PAGE)->caption;

void expect(bool holds, const std::string& what) {
    if (!holds) fail(what);
}

void expect_text(const std::string& got, const std::string& want, const std::string& what) {
    expect(got == want, what + " is \"" + got + "\", not \"" + want + "\"");
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string read_file(const std::string& path, std::streamoff from) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path);
    in.seekg(from);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::streamoff file_size(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? std::streamoff(in.tellg()) : 0;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

void expect_logged(std::streamoff from, std::initializer_list<std::string_view> texts) {
    const std::string log = read_file(log_path, from);
    std::size_t at = 0;
    for (std::string_view text : texts) {
        at = log.find(text, at);
        expect(at != std::string::npos, std::string(log_path) + " does not say \"" + std::string(text) +
                                            "\" where expected:\n" + log);
    }
}

std::vector<KeptLoad> kept_loads(const Arguments& a) {
    std::vector<KeptLoad> loads;
    for (const std::string& line : lines_of(read_file(a.unit_file("loads.txt")))) {
        std::istringstream in(line);
        KeptLoad load;
        in >> load.number >> load.mode >> load.length >> load.checksum >> load.verdict;
        std::getline(in >> std::ws, load.name);
        expect(bool(in) || in.eof(), "the unit's loads.txt has a line of another form: " + line);
        loads.push_back(load);
    }
    return loads;
}

void choose(HWND setup, LoaderFunction function) {
    click(setup, function);
    expect(poll_for([&] { return item_checked(setup, function); }),
           "radio " + std::to_string(function) + " never became checked");
}

void exit_from_setup(Uploader& uploader, HWND setup) {
    click(setup, ID_SETUP_EXIT);
    const DWORD status = uploader.await_exit();
    expect(status == 0, "Exit ended the uploader with status " + std::to_string(status));
}

HWND reach_transfer_page(const Uploader& uploader, HWND setup) {
    click(setup, ID_SETUP_NEXT);
    uploader.await_page(waiting_caption);
    return uploader.await_page(transfer_caption);
}

void await_status(HWND transfer, const std::string& line) {
    expect(poll_for([&] {
               const auto text = try_text(GetDlgItem(transfer, ID_STATUS_BOX));
               return text && text->find(line) != std::string::npos;
           }),
           "the transfer page never said \"" + line + "\"");
}

TransferSeen watch_transfer(const Uploader& uploader, HWND transfer, DWORD bound_ms) {
    TransferSeen seen;
    observe_transfer(
        transfer, seen, [&] { return (seen.setup = uploader.showing(setup_caption)) != nullptr; }, bound_ms);
    expect(seen.setup, "the transfer page did not return to the setup page; its status box said:\n" + seen.status);
    return seen;
}

void expect_completed(const TransferSeen& seen, const std::string& title, const std::string& status) {
    expect(seen.titles.contains(title), "the operation title never said \"" + title + "\"");
    expect(seen.status.find(status) != std::string::npos, "status box: " + seen.status);
    expect(seen.progress > 0, "the progress bar did not move");
}

bool observe_transfer(HWND transfer, TransferSeen& seen, const std::function<bool()>& done, DWORD bound_ms) {
    return poll_for(
        [&] {
            if (auto title = try_text(GetDlgItem(transfer, ID_OPERATION_TITLE))) seen.titles.insert(*title);
            if (auto position = progress_position(transfer, ID_PROGRESS))
                seen.progress = std::max(seen.progress, *position);
            if (auto text = try_text(GetDlgItem(transfer, ID_STATUS_BOX)); text && !text->empty()) seen.status = *text;
            if (auto line = try_text(GetDlgItem(transfer, ID_TRANSFER_LINE)); line && !line->empty())
                seen.transfer_line = *line;
            return done();
        },
        bound_ms);
}

TransferSeen watch_transfer_to_close(const Uploader& uploader, HWND transfer, DWORD bound_ms) {
    TransferSeen seen;
    const bool closed = observe_transfer(
        transfer, seen, [&] { return !uploader.showing(transfer_caption) && !IsWindow(transfer); }, bound_ms);
    expect(closed, "the transfer page stayed; its status box said:\n" + seen.status);
    return seen;
}

void expect_kept_file(const Arguments& a, std::size_t index, const std::string& name, const std::string& path,
                      std::streamoff from) {
    constexpr std::size_t kept_at_most = std::size_t(64) << 20;
    const std::vector<KeptLoad> loads = kept_loads(a);
    expect(index < loads.size(), "the unit took " + std::to_string(loads.size()) + " loads, not " +
                                     std::to_string(index + 1) + " or more");
    const KeptLoad& load = loads[index];
    const std::string what = "load " + load.number + " (" + path + ")";
    expect_text(load.verdict, "accepted", what + ": the unit's verdict");
    expect_text(load.name, name, what + ": the name the unit took it under");
    const std::string bytes = read_file(path, from);
    expect(load.length == bytes.size(), what + ": the unit took " + std::to_string(load.length) + " bytes, not " +
                                            std::to_string(bytes.size()));
    uint32_t reg;
    crc_begin(reg);
    crc_add_span(reg, bytes.data(), bytes.size());
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "%08X", unsigned(crc_end(reg)));
    expect_text(load.checksum, checksum, what + ": the unit's checksum");
    const std::string kept = read_file(a.unit_file("load-" + load.number + ".data"));
    expect(kept == bytes.substr(0, kept_at_most), what + ": the unit's data differs from the file");
}

std::vector<std::string> unit_notes(const Arguments& a) {
    const std::string path = a.unit_file("notes.txt");
    return file_size(path) > 0 ? lines_of(read_file(path)) : std::vector<std::string>{};
}

ProbedRun::ProbedRun(const Arguments& a)
    : log_before(file_size(log_path)),
      uploader(a.uploader, a.top),
      probe(uploader),
      setup(uploader.await_page(setup_caption)) {}

void post_command(HWND dialog, int id) {
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0))
        fail("could not send command " + std::to_string(id) + " to \"" + caption_of(dialog) + "\"");
}

void answer_box(const Uploader& uploader, const std::string& caption, const std::string& text, int button,
                DWORD bound_ms) {
    HWND box = uploader.await_box(caption, bound_ms);
    expect_text(box_text(box), text, "the \"" + caption + "\" box");
    click(box, button);
    expect(poll_for([&] { return !IsWindowVisible(box); }), "the \"" + caption + "\" box stayed after its answer");
}
