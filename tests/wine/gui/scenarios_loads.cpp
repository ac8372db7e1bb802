// The current-generation loads through their windows, each with the
// responsiveness probe: the four databases, the out-of-space erase, the system
// software with its reset, the OS and boot images, and one failure of each
// family answered No.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "gui_scenarios.h"
#include "setup/setup_layout.h"

namespace {
// A 100 MiB terrain body, checked and sent, takes about half a minute.
constexpr DWORD large_transfer_bound_ms = 120000;
// The unit's reset comes seconds after the last line of the load.
constexpr DWORD reset_bound_ms = 20000;
constexpr std::streamoff image_header_bytes = 256;
constexpr const char* software_version = "1.07";

struct SentFile {
    const char* path;       // under the top-level directory
    const char* unit_name;  // what the unit stores it as
    const char* title;      // the operation title while it is sent
};

struct DatabaseCase {
    LoaderFunction function;
    std::vector<SentFile> files;
    const char* completion_title;
    const char* success;
    const char* reset_line;
};

const DatabaseCase terrain{LF_TERRAIN,
                           {{"Terrain Files\\61734-TDB-2024-00001_header.bin", "terrain_database_info.bin",
                             "Terrain Header File Load"},
                            {"Terrain Files\\61734-TDB-2024-00001_data.bin", "terrain_database_data.bin",
                             "Terrain Data File Load"}},
                           "Terrain Data Load Complete",
                           "Terrain Data Load Successful!",
                           "** Reset instrument to activate new terrain data"};
const DatabaseCase airport{LF_AIRPORT,
                           {{"Airport Files\\61734-NDB-2301-00017.bin", "a424_database.bin", "NAV File Load"}},
                           "NAV Data Load Complete",
                           "NAV Data Load Successful!",
                           "** Reset instrument to activate new navigation data"};
const DatabaseCase obstacle{LF_OBSTACLE,
                            {{"Obstacle Files\\61734-ODB-0001-00001.bin", "obstacle_database_data.bin",
                              "OBS File Load"}},
                            "OBS Data Load Complete",
                            "OBS Data Load Successful!",
                            "** Reset instrument to activate obstacle data."};
const DatabaseCase overlay{LF_OVERLAY,
                           {{"Overlay Files\\61734-GDB-0001-00001.bin", "overlay_database_data.bin", "OVLY File Load"}},
                           "OVLY Data Load Complete",
                           "OVLY Data Load Successful!",
                           "** Reset instrument to activate overlay data."};

std::string top_file(const Arguments& a, const std::string& path) { return a.top + "\\" + path; }

// The name a load image goes to the unit under: its header's identifier text.
std::string image_id_text(const std::string& path) {
    const std::string header = read_file(path).substr(8, 32);
    return header.substr(0, header.find('\0'));
}

// The transfer line and the bar at the end of a body of `bytes`.
void expect_transfer_line_complete(const TransferSeen& seen, std::streamoff bytes) {
    const std::string length = std::to_string(bytes);
    expect_text(seen.transfer_line, "Transferring " + length + " of " + length + " bytes", "the transfer line");
    expect(seen.progress == 1000, "the progress bar stopped at " + std::to_string(seen.progress));
}

// The unit noted these, in this order, among its other notes.
void expect_notes(const Arguments& a, std::initializer_list<const char*> wanted) {
    const std::vector<std::string> notes = unit_notes(a);
    auto at = notes.begin();
    for (const char* note : wanted) {
        at = std::find(at, notes.end(), note);
        if (at == notes.end()) {
            std::string all;
            for (const std::string& n : notes) all += "\n  " + n;
            fail("the unit did not note \"" + std::string(note) + "\" where expected; its notes:" + all);
        }
    }
}

// Next on the system software asks for the unit's mode after its reset.
void next_with_flight_mode(const ProbedRun& run) {
    click(run.setup, ID_SETUP_NEXT);
    click(run.uploader.await_page(reset_mode_layout().caption), ID_FLIGHT_MODE);
}

// A database load from the setup page back to it: the unit took each file
// whole, the page showed each file's title, the transfer line and the bar at
// their ends, and the log keeps the load's lines.
void run_database_load(const Arguments& a, const DatabaseCase& c, DWORD bound_ms) {
    ProbedRun run(a);
    choose(run.setup, c.function);
    const TransferSeen seen = watch_transfer(run.uploader, reach_transfer_page(run.uploader, run.setup), bound_ms);
    expect_completed(seen, c.completion_title, c.success);
    for (const SentFile& file : c.files)
        expect(seen.titles.contains(file.title), "the operation title never said \"" + std::string(file.title) + "\"");
    expect_transfer_line_complete(seen, file_size(top_file(a, c.files.back().path)));
    for (std::size_t i = 0; i < c.files.size(); ++i)
        expect_kept_file(a, i, c.files[i].unit_name, top_file(a, c.files[i].path));
    expect(kept_loads(a).size() == c.files.size(), "the unit took more loads than the files");
    expect_logged(run.log_before, {c.files.back().title, "Transfer complete", "Waiting for response from unit...",
                                   c.success, "** When finished loading all files", c.reset_line});
    exit_from_setup(run.uploader, seen.setup);
    run.probe.finish();
}

template <const DatabaseCase& c>
void database_load(const Arguments& a) {
    run_database_load(a, c, transfer_bound_ms);
}

// The terrain pair with a data file of about 100 MiB (run-gui-case): the page
// keeps answering through every 65,536-byte piece.
void terrain_large(const Arguments& a) { run_database_load(a, terrain, large_transfer_bound_ms); }

// The unit has too little space (run-gui-case): the erase dialog, "MNX Mode",
// the unit's database erased and the unit reset into maintenance; the
// uploader ends without loading.
void terrain_out_of_space(const Arguments& a) {
    ProbedRun run(a);
    choose(run.setup, LF_TERRAIN);
    reach_transfer_page(run.uploader, run.setup);
    HWND erase = run.uploader.await_box("Erase Terrain", transfer_bound_ms);
    expect(item_visible(erase, ID_FLIGHT_MODE) && item_visible(erase, ID_MAINTENANCE_MODE) &&
               !item_visible(erase, ID_FACTORY_MODE),
           "the erase dialog does not offer exactly FLT and MNX Mode");
    click(erase, ID_MAINTENANCE_MODE);
    const DWORD status = run.uploader.await_exit(reset_bound_ms);
    expect(status == 0, "the uploader ended with status " + std::to_string(status));
    expect_logged(run.log_before, {"SENT ERASE TERRAIN DATABASE COMMAND TO HTAWS!!!",
                                   "HTAWS UNIT WILL RESET NOW AND UPLOADER WILL EXIT!!!"});
    expect_notes(a, {"database 1 erased", "restarting in mode 1"});
    expect(file_size(a.unit_file("loads.txt")) == 0, "the unit took a load");
    run.probe.finish();
}

// The system software set with "FLT Mode" chosen for after the load: six
// images, the update scripts run, the unit reset into flight mode, and the
// uploader ends.
void system_software_flt(const Arguments& a) {
    ProbedRun run(a);
    choose(run.setup, LF_SYSTEM_SOFTWARE);
    next_with_flight_mode(run);
    run.uploader.await_page(waiting_caption);
    const TransferSeen seen = watch_transfer_to_close(run.uploader, run.uploader.await_page(transfer_caption),
                                                      transfer_bound_ms + reset_bound_ms);
    const DWORD status = run.uploader.await_exit();
    expect(status == 0, "the uploader ended with status " + std::to_string(status));
    const char* const titles[] = {"System Software Load",  "System IO Software Load", "System Start Software Load",
                                  "SCRC32 Load",           "Update Execs Script Load", "Update Data Script Load",
                                  "Updating Update Scripts", "RESETTING HTAWS UNIT"};
    for (const char* title : titles)
        expect(seen.titles.contains(title), "the operation title never said \"" + std::string(title) + "\"");
    const char* const files[] = {"rk5200h_", "rk5200h_io_", "rk5200h_start_", "scrc32_", "update_execs_",
                                 "update_data_"};
    std::string last;
    for (std::size_t i = 0; i < std::size(files); ++i) {
        last = top_file(a, std::string("System Files\\") + files[i] + software_version + ".hhf");
        expect_kept_file(a, i, image_id_text(last), last, image_header_bytes);
    }
    expect_transfer_line_complete(seen, file_size(last) - image_header_bytes);
    expect_logged(run.log_before, {"System Software Load, ", "Update Data Script Load, ",
                                   "System software load complete", "** RESETTING HTAWS UNIT NOW!!!",
                                   "** APPLICATION WILL EXIT NOW!!!"});
    expect_notes(a, {"update scripts run", "restarting in mode 0"});
    run.probe.finish();
}

struct ImageCase {
    LoaderFunction function;
    std::vector<const char*> files;  // under "System Files", in the order sent
    const char* size_line;
    const char* completion_title;
    const char* complete_line;
};

const ImageCase os_image{LF_OS_IMAGE,
                         {"uImage_", "foo_dtb_", "ubi_img_"},
                         "Load OS Image file, ",
                         "System OS Image file Load Complete",
                         "System OS Image file load complete"};
const ImageCase boot_image{LF_BOOT_IMAGE, {"u_boot_"}, "Load Boot image, ", "System Boot image Load Complete",
                           "System Boot image load complete"};

// The page stays open after an image load for the technician to read; Escape
// then ends the uploader.
template <const ImageCase& c>
void image_load(const Arguments& a) {
    ProbedRun run(a);
    choose(run.setup, c.function);
    HWND transfer = reach_transfer_page(run.uploader, run.setup);
    TransferSeen seen;
    const auto completed = [&] {
        return run.uploader.showing(transfer_caption) && seen.titles.contains(c.completion_title);
    };
    expect(observe_transfer(transfer, seen, completed, transfer_bound_ms),
           "the operation title never said \"" + std::string(c.completion_title) + "\"; the status box said:\n" +
               seen.status);
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        const std::string path = top_file(a, std::string("System Files\\") + c.files[i] + software_version + ".hhf");
        expect_kept_file(a, i, image_id_text(path), path, image_header_bytes);
    }
    expect(kept_loads(a).size() == c.files.size(), "the unit took more loads than the images");
    // The last thing sent is the staged baud command, "BR 115200\r".
    expect_transfer_line_complete(seen, 10);
    expect_logged(run.log_before, {c.size_line, c.complete_line, "** When finished loading all files",
                                   "** Reset instrument to activate new system software"});
    press_escape(transfer);
    const DWORD status = run.uploader.await_exit();
    expect(status == 0, "Escape after the load ended the uploader with status " + std::to_string(status));
    run.probe.finish();
}

struct FailureCase {
    LoaderFunction function;
    const char* text;  // the "Error" box's question, logged as it is asked
};

// The unit refuses the load mode (run-gui-case).
const FailureCase database_failure{LF_OBSTACLE, "Unit replied with an error.\nTry again?"};
// The unit's board is not the one the demo's system software set is built for.
const FailureCase system_software_failure{LF_SYSTEM_SOFTWARE, "Incompatible Versions.\nTry again?"};
// The unit reports a write fault once the image is in (run-gui-case).
const FailureCase boot_image_failure{LF_BOOT_IMAGE, "ERROR transmitting data."};

// A failure shown in its "Error" box and answered No: the uploader ends and
// its log says why.
template <const FailureCase& c>
void load_failure(const Arguments& a) {
    ProbedRun run(a);
    choose(run.setup, c.function);
    if (c.function == LF_SYSTEM_SOFTWARE) next_with_flight_mode(run);
    else click(run.setup, ID_SETUP_NEXT);
    run.uploader.await_page(transfer_caption, transfer_bound_ms);
    HWND box = run.uploader.await_box("Error", transfer_bound_ms);
    expect_text(box_text(box), c.text, "the error box");
    click(box, IDNO);
    const DWORD status = run.uploader.await_exit(reset_bound_ms);
    expect(status == 0, "No ended the uploader with status " + std::to_string(status));
    const std::string question = c.text;
    expect_logged(run.log_before, {"Error:" + question.substr(0, question.find('\n'))});
    run.probe.finish();
}

}  // namespace

const std::vector<Scenario> load_scenarios = {
    {"terrain_load", database_load<terrain>},
    {"airport_load", database_load<airport>},
    {"obstacle_load", database_load<obstacle>},
    {"overlay_load", database_load<overlay>},
    {"terrain_large", terrain_large},
    {"terrain_out_of_space", terrain_out_of_space},
    {"system_software_flt", system_software_flt},
    {"os_image_load", image_load<os_image>},
    {"boot_image_load", image_load<boot_image>},
    {"database_failure", load_failure<database_failure>},
    {"system_software_failure", load_failure<system_software_failure>},
    {"boot_image_failure", load_failure<boot_image_failure>},
};
