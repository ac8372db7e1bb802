// Drives the real htaws-uploader.exe through its windows, as a technician
// would, against the simulated unit, and checks what it shows and leaves on
// disk. One scenario a run; prints "PASS: ..." and returns 0, or prints
// "FAIL: ..." with the windows the uploader showed and returns 1.
//
// Usage: gui_driver SCENARIO UPLOADER_EXE TOP_DIRECTORY [UNIT_PARAMETERS]
//   configuration_read takes the parameter lines the unit answers with.
//   configuration_read and configuration_write fail when the uploader's page
//   thread leaves a message unanswered for longer than unanswered_limit_ms.
//   shots prints "shot NAME" at each page and waits for a line on its input.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "app/page_layouts.h"
#include "catalogue/loader_function.h"
#include "responsiveness_probe.h"
#include "setup/setup_layout.h"
#include "uploader_windows.h"
#include "version.h"

namespace {
constexpr DWORD splash_shortest_ms = 1500;
constexpr DWORD splash_longest_ms = 4000;
constexpr DWORD transfer_bound_ms = 40000;
constexpr DWORD shot_answer_ms = 60000;
const char* const log_path = "C:\\Temp\\Loader.LOG";

const std::string program_title = HTAWS_PRODUCT_NAME ", Version " HTAWS_PRODUCT_VERSION;
const std::string setup_caption = program_title + "  --  Setup for RK5200H";
const std::string waiting_caption = app_page_layout(WAITING_PAGE)->caption;
const std::string transfer_caption = app_page_layout(TRANSFER_PAGE)->caption;

struct Arguments {
    std::string uploader, top, unit_parameters;
};

void expect(bool holds, const std::string& what) {
    if (!holds) fail(what);
}

void expect_text(const std::string& got, const std::string& want, const std::string& what) {
    expect(got == want, what + " is \"" + got + "\", not \"" + want + "\"");
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string read_file(const std::string& path, std::streamoff from = 0) {
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

// The file's non-empty lines, whatever their ending.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The uploader's log since `from` holds these lines' texts, in this order.
void expect_logged(std::streamoff from, std::initializer_list<std::string_view> texts) {
    const std::string log = read_file(log_path, from);
    std::size_t at = 0;
    for (std::string_view text : texts) {
        at = log.find(text, at);
        expect(at != std::string::npos, std::string(log_path) + " does not say \"" + std::string(text) +
                                            "\" where expected:\n" + log);
    }
}

// Clicks a radio button of the setup page and waits until the page took it.
void choose(HWND setup, LoaderFunction function) {
    click(setup, function);
    expect(poll_for([&] { return item_checked(setup, function); }),
           "radio " + std::to_string(function) + " never became checked");
}

struct SetupCase {
    LoaderFunction function;
    bool system, database, parameter, parameter_editable, parameter_button;
    const char* folder;
    int filled_box;
    const char* filled_text;  // "" for any text
};

// The first row is the page as it opens; the others follow a click.
constexpr SetupCase setup_cases[] = {
    {LF_SYSTEM_SOFTWARE, true, false, false, false, false, "System Files", ID_SYSTEM_BOX, ""},
    {LF_READ_CONFIG, false, false, true, true, false, "Parameter Files", ID_PARAMETER_BOX, "Params_SN12345678.dat"},
    {LF_TERRAIN, false, true, false, false, false, "Terrain Files", ID_DATABASE_BOX, ""},
};

// What differs from the case on the page, "" when nothing does.
std::string setup_mismatches(HWND setup, const SetupCase& c) {
    std::string wrong;
    auto want = [&](bool got, bool expected, const std::string& what) {
        if (got != expected) wrong += "; " + what + (expected ? " expected" : " not expected");
    };
    for (LoaderFunction radio : {LF_SYSTEM_SOFTWARE, LF_TERRAIN, LF_READ_CONFIG, LF_ERASE_RECORDING})
        want(item_checked(setup, radio), radio == c.function, "radio " + std::to_string(radio) + " checked");
    want(item_enabled(setup, ID_SYSTEM_BOX), c.system, "system file box enabled");
    want(item_enabled(setup, ID_SYSTEM_BROWSE), c.system, "system file button enabled");
    want(item_enabled(setup, ID_DATABASE_BOX), c.database, "database box enabled");
    want(item_enabled(setup, ID_DATABASE_BROWSE), c.database, "database button enabled");
    want(item_enabled(setup, ID_PARAMETER_BOX), c.parameter, "parameter box enabled");
    if (c.parameter) want(!item_read_only(setup, ID_PARAMETER_BOX), c.parameter_editable, "parameter box editable");
    want(item_enabled(setup, ID_PARAMETER_BROWSE), c.parameter_button, "parameter button enabled");
    const std::string folder = item_text(setup, ID_FOLDER_BOX);
    if (!ends_with(folder, c.folder)) wrong += "; folder box shows \"" + folder + "\"";
    const std::string filled = item_text(setup, c.filled_box);
    if (*c.filled_text ? filled != c.filled_text : filled.empty())
        wrong += "; box " + std::to_string(c.filled_box) + " shows \"" + filled + "\"";
    return wrong;
}

void exit_from_setup(Uploader& uploader, HWND setup) {
    click(setup, ID_SETUP_EXIT);
    const DWORD status = uploader.await_exit();
    expect(status == 0, "Exit ended the uploader with status " + std::to_string(status));
}

// Next on the setup page, through the waiting page.
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

void splash(const Arguments& a) {
    Uploader uploader(a.uploader, a.top);
    HWND splash = uploader.await_page(program_title);
    const ULONGLONG shown_at = GetTickCount64();
    expect_text(item_text(splash, ID_DESCRIPTION), HTAWS_FILE_DESCRIPTION, "the splash description");
    expect_text(item_text(splash, ID_LEGAL), HTAWS_LEGAL_COPYRIGHT, "the splash legal text");
    expect(poll_for([&] { return !IsWindowVisible(splash); }, splash_longest_ms + 2000),
           "the splash did not close by itself");
    const ULONGLONG shown_ms = GetTickCount64() - shown_at;
    expect(shown_ms >= splash_shortest_ms && shown_ms <= splash_longest_ms,
           "the splash closed after " + std::to_string(shown_ms) + " ms");
    exit_from_setup(uploader, uploader.await_page(setup_caption));
}

void setup_states(const Arguments& a) {
    Uploader uploader(a.uploader, a.top);
    HWND setup = uploader.await_page(setup_caption);
    expect(!item_visible(setup, LF_HASS_CONFIG) && !item_visible(setup, LF_NO_GAMMA_CONFIG),
           "the HASS and No GAMMA choices are shown");
    for (int button : {ID_SYSTEM_BROWSE, ID_DATABASE_BROWSE, ID_PARAMETER_BROWSE})
        expect_text(item_text(setup, button), "Select", "file button " + std::to_string(button));
    expect(item_visible(setup, ID_RESET_UNIT) && item_enabled(setup, ID_RESET_UNIT), "Reset HTAWS is not usable");
    expect_text(item_text(setup, ID_FOOTER), HTAWS_LEGAL_COPYRIGHT, "the footer");
    for (const SetupCase& c : setup_cases) {
        if (&c != &setup_cases[0]) click(setup, c.function);
        std::string wrong;
        if (!poll_for([&] { return (wrong = setup_mismatches(setup, c)).empty(); }))
            fail("setup page with function " + std::to_string(c.function) + wrong);
    }
    exit_from_setup(uploader, setup);
}

// What a transfer page showed until it returned to the setup page by itself.
struct TransferSeen {
    HWND setup = nullptr;
    std::set<std::string> titles;
    int progress = 0;
    std::string status;  // the status box's last text
};

TransferSeen watch_transfer(const Uploader& uploader, HWND transfer) {
    TransferSeen seen;
    seen.setup = poll_for(
        [&] {
            if (auto title = try_text(GetDlgItem(transfer, ID_OPERATION_TITLE))) seen.titles.insert(*title);
            if (auto position = progress_position(transfer, ID_PROGRESS))
                seen.progress = std::max(seen.progress, *position);
            if (auto text = try_text(GetDlgItem(transfer, ID_STATUS_BOX)); text && !text->empty()) seen.status = *text;
            return uploader.showing(setup_caption);
        },
        transfer_bound_ms);
    expect(seen.setup, "the transfer page did not return to the setup page; its status box said:\n" + seen.status);
    return seen;
}

// The page shows its progress, then ends by itself after a pause.
void expect_completed(const TransferSeen& seen, const std::string& title, const std::string& status) {
    expect(seen.titles.contains(title), "the operation title never said \"" + title + "\"");
    expect(seen.status.find(status) != std::string::npos, "status box: " + seen.status);
    expect(seen.progress > 0, "the progress bar did not move");
}

void configuration_read(const Arguments& a) {
    const std::vector<std::string> unit_lines = lines_of(read_file(a.unit_parameters));
    expect(!unit_lines.empty(), "no unit parameters in " + a.unit_parameters);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    HWND setup = uploader.await_page(setup_caption);
    choose(setup, LF_READ_CONFIG);
    set_item_text(setup, ID_PARAMETER_BOX, "backup.dat");
    const TransferSeen seen = watch_transfer(uploader, reach_transfer_page(uploader, setup));
    expect_completed(seen, "Configuration Read Complete", "Configuration read complete");
    expect(poll_for([&] { return item_checked(seen.setup, LF_READ_CONFIG); }),
           "the setup page did not select the read again");

    const std::string saved = a.top + "\\Parameter Files\\backup.dat";
    const std::vector<std::string> saved_lines = lines_of(read_file(saved));
    expect(saved_lines == unit_lines, saved + " does not hold the unit's " + std::to_string(unit_lines.size()) +
                                          " parameter lines:\n" + read_file(saved));
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

// The top-level directory holds one parameter file, with a factory header;
// the write asks before it overwrites the factory settings.
void configuration_write(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    HWND setup = uploader.await_page(setup_caption);
    choose(setup, LF_WRITE_CONFIG);
    expect(poll_for([&] { return item_text(setup, ID_PARAMETER_BOX) == "factory.dat"; }),
           "the parameter box shows \"" + item_text(setup, ID_PARAMETER_BOX) + "\", not \"factory.dat\"");
    click(setup, ID_SETUP_NEXT);
    HWND box = uploader.await_box("FACTORY SETTING OVERWRITE", transfer_bound_ms);
    expect(box_text(box).find("Do you wish to update the Factory Settings?") != std::string::npos,
           "the factory settings box says \"" + box_text(box) + "\"");
    click(box, IDYES);
    expect(poll_for([&] { return !IsWindowVisible(box); }), "the factory settings box stayed after Yes");
    const TransferSeen seen = watch_transfer(uploader, uploader.await_page(transfer_caption));
    // The page is read while the driver polls; the log keeps every status line.
    expect_logged(log_before, {"Sending configuration to unit", "Configuration write complete"});
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

void second_instance(const Arguments& a) {
    Uploader first(a.uploader, a.top);
    HWND setup = first.await_page(setup_caption);
    Uploader second(a.uploader, a.top);
    HWND box = second.await_box("ERROR: Multiple Program Instances Detected");
    expect_text(box_text(box),
                "Another instance of the Veltra Uploader is already running.\nMultiple instances are not supported "
                "and are not permitted.\n\n\tThis program will now exit.",
                "the second instance's box");
    click(box, IDOK);
    const DWORD status = second.await_exit();
    expect(status == 1, "the second instance ended with status " + std::to_string(status));
    expect(first.showing(setup_caption) == setup, "the first instance left its setup page");
    choose(setup, LF_READ_CONFIG);
    exit_from_setup(first, setup);
}

void transfer_escape(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    HWND setup = uploader.await_page(setup_caption);
    choose(setup, LF_OS_IMAGE);
    HWND transfer = reach_transfer_page(uploader, setup);
    await_status(transfer, "Communications ready");
    press_escape(transfer);
    const DWORD status = uploader.await_exit();
    expect(status == 0, "Escape on the transfer page ended the uploader with status " + std::to_string(status));
    expect_logged(log_before, {"... DoTransfer()", "Communications ready"});
}

// Tells the screenshot taker which page is up and waits until it is taken.
void shot(const std::string& name) {
    std::printf("shot %s\n", name.c_str());
    std::fflush(stdout);
    auto answered = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = answered->get_future();
    std::thread([answered] {
        std::string line;
        answered->set_value(bool(std::getline(std::cin, line)));
    }).detach();
    expect(answer.wait_for(std::chrono::milliseconds(shot_answer_ms)) == std::future_status::ready && answer.get(),
           "no answer after shot " + name);
}

void shots(const Arguments& a) {
    Uploader uploader(a.uploader, a.top);
    uploader.await_page(program_title);
    shot("splash");
    HWND setup = uploader.await_page(setup_caption);
    shot("setup");
    click(setup, ID_RESET_UNIT);
    HWND reset = uploader.await_page(reset_mode_layout().caption);
    shot("reset_mode");
    click(reset, ID_RESET_CANCEL);
    expect(poll_for([&] { return !IsWindow(reset); }), "the reset mode dialog stayed after Cancel");
    click(setup, ID_SYSTEM_BROWSE);
    HWND versions = uploader.await_page(version_select_layout().caption);
    shot("version_select");
    click(versions, ID_VERSION_CANCEL);
    expect(poll_for([&] { return !IsWindow(versions); }), "the version select dialog stayed after Cancel");
    choose(setup, LF_OS_IMAGE);
    click(setup, ID_SETUP_NEXT);
    uploader.await_page(waiting_caption);
    shot("waiting");
    HWND transfer = uploader.await_page(transfer_caption, transfer_bound_ms);
    await_status(transfer, "Communications ready");
    shot("transfer");
    press_escape(transfer);
    expect(uploader.await_exit() == 0, "Escape on the transfer page did not end the uploader with status 0");
}

struct Scenario {
    const char* name;
    void (*run)(const Arguments&);
    bool takes_unit_parameters;
};
constexpr Scenario scenarios[] = {
    {"splash", splash, false},
    {"setup_states", setup_states, false},
    {"configuration_read", configuration_read, true},
    {"configuration_write", configuration_write, false},
    {"second_instance", second_instance, false},
    {"transfer_escape", transfer_escape, false},
    {"shots", shots, false},
};
}  // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "";
    const auto scenario = std::find_if(std::begin(scenarios), std::end(scenarios),
                                       [&](const Scenario& s) { return name == s.name; });
    if (scenario == std::end(scenarios) || argc != (scenario->takes_unit_parameters ? 5 : 4)) {
        std::fprintf(stderr, "usage: gui_driver SCENARIO UPLOADER_EXE TOP_DIRECTORY [UNIT_PARAMETERS]\nscenarios:");
        for (const Scenario& s : scenarios)
            std::fprintf(stderr, " %s%s", s.name, s.takes_unit_parameters ? " (with UNIT_PARAMETERS)" : "");
        std::fprintf(stderr, "\n");
        return 2;
    }
    try {
        scenario->run({argv[2], argv[3], argc > 4 ? argv[4] : ""});
    } catch (const Failure& failure) {
        std::printf("FAIL: %s: %s\n", name.c_str(), failure.what());
        return 1;
    }
    std::printf("PASS: %s\n", name.c_str());
    return 0;
}
