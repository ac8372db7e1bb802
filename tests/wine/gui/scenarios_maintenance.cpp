// The recordings download and erase, the block test, the earlier-generation
// loads with their flash write, and a failure of each family, each with the
// responsiveness probe.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "gui_scenarios.h"
#include "responsiveness_probe.h"
#include "setup/setup_layout.h"

namespace {
// The unit's flash write is paced in 200 ms steps: 60 for airport data, 50 for
// system software and terrain data, 8 for a terrain header.
constexpr DWORD flash_bound_ms = 60000;
constexpr std::size_t control_block_size = 256;

// What the transfer page showed until it returned to the setup page, or until
// its operation title said `end_title` (a load that leaves the page open).
struct PageSeen {
    HWND setup = nullptr;
    std::vector<std::string> titles;  // in order, each change once
    int progress = 0;
    std::vector<int> second_bar;  // the flash write's bar, each change once
    std::string transfer_line;    // its last text
    std::string status;
};

PageSeen watch_page(const Uploader& uploader, HWND transfer, const std::string& end_title = "") {
    PageSeen seen;
    auto note = [](auto& list, const auto& value) {
        if (list.empty() || list.back() != value) list.push_back(value);
    };
    const bool ended = poll_for(
        [&] {
            if (auto title = try_text(GetDlgItem(transfer, ID_OPERATION_TITLE))) note(seen.titles, *title);
            if (auto position = progress_position(transfer, ID_PROGRESS))
                seen.progress = std::max(seen.progress, *position);
            if (IsWindowVisible(GetDlgItem(transfer, ID_SECOND_PROGRESS)))
                if (auto position = progress_position(transfer, ID_SECOND_PROGRESS)) note(seen.second_bar, *position);
            if (auto line = try_text(GetDlgItem(transfer, ID_TRANSFER_LINE)); line && !line->empty())
                seen.transfer_line = *line;
            if (auto text = try_text(GetDlgItem(transfer, ID_STATUS_BOX)); text && !text->empty()) seen.status = *text;
            if (!end_title.empty()) return !seen.titles.empty() && seen.titles.back() == end_title;
            return (seen.setup = uploader.showing(setup_caption)) != nullptr;
        },
        flash_bound_ms);
    expect(ended, "the transfer page did not " +
                      (end_title.empty() ? std::string("return to the setup page") : "say \"" + end_title + "\"") +
                      "; its status box said:\n" + seen.status);
    return seen;
}

bool seen_title(const PageSeen& seen, const std::string& title) {
    return std::find(seen.titles.begin(), seen.titles.end(), title) != seen.titles.end();
}

void expect_title(const PageSeen& seen, const std::string& title) {
    expect(seen_title(seen, title), "the operation title never said \"" + title + "\"");
}

// The second bar went up in steps towards 100 while the unit wrote its flash
// (its last step may pass between two looks).
void expect_flash_bar_moved(const PageSeen& seen) {
    const auto& bar = seen.second_bar;
    std::string shown = "the flash write's bar showed";
    for (int position : bar) shown.append(" ").append(std::to_string(position));
    expect(bar.size() >= 3 && std::is_sorted(bar.begin(), bar.end()) && bar.back() >= 90, shown);
}

// The unit's loads once it has given `count` verdicts (it writes them as they come).
std::vector<KeptLoad> await_kept_loads(const Arguments& a, std::size_t count) {
    std::vector<KeptLoad> loads;
    poll_for([&] {
        loads = file_size(a.unit_file("loads.txt")) > 0 ? kept_loads(a) : std::vector<KeptLoad>{};
        return loads.size() >= count;
    });
    expect(loads.size() == count, "the unit kept " + std::to_string(loads.size()) + " loads, not " +
                                      std::to_string(count));
    return loads;
}

// The load was accepted and the unit holds `data` after its control block.
void expect_load_holds(const Arguments& a, const KeptLoad& load, const std::string& mode, const std::string& data) {
    expect(load.mode == mode && load.verdict == "accepted",
           "load " + load.number + " is " + load.mode + " " + load.verdict + " " + load.name);
    const std::string kept = read_file(a.unit_file("load-" + load.number + ".data"));
    expect(kept.size() >= control_block_size && kept.substr(control_block_size) == data,
           "load " + load.number + " holds " + std::to_string(kept.size()) + " bytes, not its control block and the " +
               std::to_string(data.size()) + " bytes of the file");
}

std::string folder_file(const Arguments& a, const std::string& folder, const std::string& name) {
    return a.top + "\\" + folder + "\\" + name;
}

uint32_t be32(const std::string& bytes, std::size_t at) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | uint8_t(bytes.at(at + i));
    return value;
}

// The data section of an airport map file: after the 64-byte header and the
// 256-byte info section, as long as the info section says.
std::string airport_data(const std::string& path) {
    constexpr std::size_t header = 64;
    const std::string file = read_file(path);
    return file.substr(header + control_block_size, be32(file, header + 244));
}

// The unit's recording as htaws-unit-sim keeps it.
std::string unit_recording(const Arguments& a, int index) {
    return a.unit_file("recording-" + std::to_string(index) + ".dat");
}

std::string recording_name(const SYSTEMTIME& day, int index) {
    char name[64];
    std::snprintf(name, sizeof name, "REC_12345678_%04d_%02d_%02d_%02d", day.wYear, day.wMonth, day.wDay, index);
    return name;
}

// The setup page with `function` chosen, through the transfer page.
HWND start_function(const Uploader& uploader, LoaderFunction function, const std::string& caption = setup_caption) {
    HWND setup = uploader.await_page(caption);
    choose(setup, function);
    return reach_transfer_page(uploader, setup);
}

// The unit's three recordings (a short one, an empty one, one of three
// packets), each in its own file named with the unit's serial digits and the
// day of the download, byte for byte.
void recordings_download(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    SYSTEMTIME day;
    GetLocalTime(&day);
    const PageSeen seen = watch_page(uploader, start_function(uploader, LF_DOWNLOAD_RECORDING));
    expect(seen.progress > 0, "the progress bar did not move");
    expect_logged(log_before, {"Retrieving  3 flight data recording files.", "File index  2", "File index  0",
                               "Flight Data Recording file transfers complete"});
    for (int index = 0; index < 3; ++index) {
        const std::string saved = folder_file(a, "Recording Files", recording_name(day, index) + ".dat");
        const std::string unit = read_file(unit_recording(a, index));
        expect(read_file(saved) == unit, saved + " does not hold the unit's " + std::to_string(unit.size()) + " bytes");
    }
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

// The erase asks nothing: the unit's recordings are gone and the page returns.
void recordings_erase(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    expect(file_size(unit_recording(a, 0)) > 0, "the unit holds no recording to erase");
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    const PageSeen seen = watch_page(uploader, start_function(uploader, LF_ERASE_RECORDING));
    expect_logged(log_before, {"Erased Flight Recordings from system", "Flight Data Recording erase operation complete.",
                               "Will return to the Setup dialog momentarily."});
    for (int index = 0; index < 3; ++index) {
        const std::string kept = unit_recording(a, index);
        expect(GetFileAttributesA(kept.c_str()) == INVALID_FILE_ATTRIBUTES, "the unit still holds " + kept);
    }
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

// A packet of the last recording fails its check: the technician is told, the
// bytes before it are kept apart from whole recordings, the other recordings
// still come, and the download does not call itself complete.
void recordings_failure(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    SYSTEMTIME day;
    GetLocalTime(&day);
    HWND transfer = start_function(uploader, LF_DOWNLOAD_RECORDING);
    answer_box(uploader, "Error", "Read Packet Error, Exiting", IDOK);
    const PageSeen seen = watch_page(uploader, transfer);
    expect_logged(log_before, {"Recording 2 is incomplete: ", "bytes are of a packet that failed",
                               "Flight Data Recording file transfers ended: 1 of 3 recordings not downloaded whole"});
    // The first packet, then the bytes of the packet that failed its check.
    const std::string partial = folder_file(a, "Recording Files", recording_name(day, 2) + "_partial.dat");
    const std::string kept = read_file(partial);
    expect(kept.size() > 4096 && kept.substr(0, 4096) == read_file(unit_recording(a, 2)).substr(0, 4096),
           partial + " does not hold the first packet of the unit's recording and the failed one after it");
    const std::string whole = folder_file(a, "Recording Files", recording_name(day, 0) + ".dat");
    expect(read_file(whole) == read_file(unit_recording(a, 0)), whole + " is not the unit's recording");
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

// The block test has no control on the setup page: a command of its own
// starts it. The unit takes the test file as it is.
void block_test(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    const std::string test_file = folder_file(a, "System Files", "two_meg.dat");
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    HWND setup = uploader.await_page(setup_caption);
    post_command(setup, LF_BLOCK_TEST);
    uploader.await_page(waiting_caption);
    const PageSeen seen = watch_page(uploader, uploader.await_page(transfer_caption));
    // Its last title shows only for the moment before the page ends; the log keeps the status line.
    expect_title(seen, "Load Block Test image");
    expect(seen.progress > 0, "the progress bar did not move");
    const std::string data = read_file(test_file);
    expect(seen.transfer_line.starts_with("Transferring ") &&
               ends_with(seen.transfer_line, " of " + std::to_string(data.size()) + " bytes"),
           "the transfer line said \"" + seen.transfer_line + "\"");
    expect_logged(log_before, {"Load Block Test image, 2097152 bytes", "Load Block Test image complete"});
    const std::vector<KeptLoad> loads = await_kept_loads(a, 1);
    expect(loads[0].mode == "PT" && loads[0].length == data.size(),
           "the unit took a " + loads[0].mode + " load of " + std::to_string(loads[0].length) + " bytes");
    expect(read_file(a.unit_file("load-00.data")) == data, "the unit did not take the test file byte for byte");
    exit_from_setup(uploader, seen.setup);
    probe.finish();
}

// A load that leaves the transfer page open ends there; Back returns to the setup page.
void back_and_exit(Uploader& uploader, HWND transfer) {
    click(transfer, ID_BACK);
    exit_from_setup(uploader, uploader.await_page(no_instrument_caption));
}

// The unit garbles blocks at full speed: after ten refusals the technician
// takes a lower rate and the load goes on there to its flash write (the title
// keeps the rate set for the load).
void earlier_airport(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    const std::string airport = folder_file(a, "Airport Files", "61734-NDB-2301-00017.bin");
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    HWND transfer = start_function(uploader, LF_AIRPORT, no_instrument_caption);
    answer_box(uploader, "Error", "Unit replied with an error\nTry again at lower baud rate?", IDYES);
    const PageSeen seen = watch_page(uploader, transfer, "Load Airport Data Complete");
    expect_title(seen, "    WAIT ... Writing to Flash    ");
    expect_flash_bar_moved(seen);
    expect(seen.progress == 1000, "the progress bar stopped at " + std::to_string(seen.progress));
    const std::string data = airport_data(airport);
    expect_logged(log_before, {"Load airport data, " + std::to_string(data.size()) + " bytes", "    Retry count 10    ",
                               "   Baud Rate Set to 115200   ", "Writing to flash", "Load airport data complete"});
    expect_load_holds(a, await_kept_loads(a, 1)[0], "M", data);
    back_and_exit(uploader, transfer);
    probe.finish();
}

// The unit fails its flash write; the technician does not try again and the program ends.
void earlier_failure(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    start_function(uploader, LF_AIRPORT, no_instrument_caption);
    answer_box(uploader, "Error", "Burn flash failed\nTry again?", IDNO, flash_bound_ms);
    const DWORD status = uploader.await_exit();
    expect(status == 0, "No to the flash failure ended the uploader with status " + std::to_string(status));
    expect_logged(log_before, {"Writing to flash", "Unit sent 'ERR: flash write failed'", "Burn flash failed"});
    const std::vector<KeptLoad> loads = await_kept_loads(a, 1);
    expect(loads[0].verdict != "accepted", "the unit accepted the load whose flash write failed");
    probe.finish();
}

// The earlier unit's system software from the demo's ".hex" file, on the
// current way: the reset mode asked at Next, the configuration backed up,
// the blocks, the flash write with its second bar; the page stays open.
void earlier_software(const Arguments& a) {
    const std::streamoff log_before = file_size(log_path);
    Uploader uploader(a.uploader, a.top);
    ResponsivenessProbe probe(uploader);
    HWND setup = uploader.await_page(no_instrument_caption);
    choose(setup, LF_SYSTEM_SOFTWARE);
    click(setup, ID_SETUP_NEXT);
    click(uploader.await_page(reset_mode_layout().caption), ID_FLIGHT_MODE);
    uploader.await_page(waiting_caption);
    HWND transfer = uploader.await_page(transfer_caption);
    const PageSeen seen = watch_page(uploader, transfer, "System Software Load Complete");
    expect_title(seen, "   WAIT ... Writing to Flash   ");
    expect_flash_bar_moved(seen);
    expect_logged(log_before, {"Done reading configuration", "Load system software, ", "System software load complete"});
    const std::vector<KeptLoad> loads = await_kept_loads(a, 1);
    expect_text(loads[0].verdict, "accepted", "the unit's verdict on the system software");
    back_and_exit(uploader, transfer);
    probe.finish();
}
}  // namespace

const std::vector<Scenario> maintenance_scenarios = {
    {"recordings_download", recordings_download},
    {"recordings_erase", recordings_erase},
    {"recordings_failure", recordings_failure},
    {"block_test", block_test},
    {"earlier_airport", earlier_airport},
    {"earlier_failure", earlier_failure},
    {"earlier_software", earlier_software},
};
