// The uploader's start, its setup page, a second instance and Escape on the
// transfer page.
#include <string>

#include "app/page_layouts.h"
#include "gui_scenarios.h"
#include "setup/setup_layout.h"
#include "version.h"

namespace {
constexpr DWORD splash_shortest_ms = 1500;
constexpr DWORD splash_longest_ms = 4000;

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
    // A load cancelled part way is a failed run.
    expect(status == 1, "Escape on the transfer page ended the uploader with status " + std::to_string(status));
    expect_logged(log_before, {"... DoTransfer()", "Communications ready"});
}

}  // namespace

const std::vector<Scenario> basic_scenarios = {
    {"splash", splash},
    {"setup_states", setup_states},
    {"second_instance", second_instance},
    {"transfer_escape", transfer_escape},
};
