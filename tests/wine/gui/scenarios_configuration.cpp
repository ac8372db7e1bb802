// The configuration read and write, each with the responsiveness probe.
#include <algorithm>
#include <string>

#include "app/page_layouts.h"
#include "gui_scenarios.h"
#include "responsiveness_probe.h"
#include "setup/setup_layout.h"

namespace {
void configuration_read(const Arguments& a) {
    const std::string unit_parameters = a.work + "\\unit-parameters.txt";
    const std::vector<std::string> unit_lines = lines_of(read_file(unit_parameters));
    expect(!unit_lines.empty(), "no unit parameters in " + unit_parameters);
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
    ProbedRun run(a);
    choose(run.setup, LF_WRITE_CONFIG);
    expect(poll_for([&] { return item_text(run.setup, ID_PARAMETER_BOX) == "factory.dat"; }),
           "the parameter box shows \"" + item_text(run.setup, ID_PARAMETER_BOX) + "\", not \"factory.dat\"");
    click(run.setup, ID_SETUP_NEXT);
    HWND box = run.uploader.await_box("FACTORY SETTING OVERWRITE", transfer_bound_ms);
    expect(box_text(box).find("Do you wish to update the Factory Settings?") != std::string::npos,
           "the factory settings box says \"" + box_text(box) + "\"");
    click(box, IDYES);
    expect(poll_for([&] { return !IsWindowVisible(box); }), "the factory settings box stayed after Yes");
    const TransferSeen seen = watch_transfer(run.uploader, run.uploader.await_page(transfer_caption));
    // The page is read while the driver polls; the log keeps every status line.
    expect_logged(run.log_before, {"Sending configuration to unit", "Configuration write complete"});
    const std::vector<std::string> kept = lines_of(read_file(a.unit_file("parameters.txt")));
    expect(std::find(kept.begin(), kept.end(), "Audio Volume 0x00000007") != kept.end(),
           "the unit's parameters do not hold the written value:\n" + read_file(a.unit_file("parameters.txt")));
    exit_from_setup(run.uploader, seen.setup);
    run.probe.finish();
}

}  // namespace

const std::vector<Scenario> configuration_scenarios = {
    {"configuration_read", configuration_read},
    {"configuration_write", configuration_write},
};
