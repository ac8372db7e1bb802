#include "app/wizard_fixture.h"

#include "app/program_reset.h"
#include "app/status_box.h"
#include "app/transfer_page.h"
#include "app/transfer_routes.h"
#include "catalogue/setup_entry.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/log.h"
#include "output/status.h"
#include "setup/setup_page.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"
#include "support/sim_port.h"
#include "support/unit_link_reset.h"
#include "support/virtual_clock.h"
#include "unit/identity.h"
#include "unit/model.h"

void WizardTest::SetUp() {
    previous_directory = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    start_run();
}

void WizardTest::TearDown() {
    finish_run();
    std::filesystem::current_path(previous_directory);
}

void WizardTest::start_run() {
    pages_reset();
    script_reset();
    reset_program_state();
    log_open_path(dir.file("Loader.LOG"));
}

void WizardTest::finish_run() {
    log_close();
    reset_link_state();
    const std::string anomalies = sim_port_finish();
    if (!anomalies_allowed) {
        EXPECT_TRUE(anomalies.empty()) << anomalies << (unit ? unit->transcript_text() : "");
    }
    EXPECT_EQ(script_pending(), 0u) << "expected message boxes were not shown";
    EXPECT_EQ(script_actions_pending(), 0u) << "the technician's script was not used up";
}

SimUnit& WizardTest::attach_unit(SimConfig config) {
    auto fresh = std::make_unique<SimUnit>(std::move(config));
    sim_port_attach(fresh.get());
    unit = std::move(fresh);
    return *unit;
}

// The log is a text stream: on Windows each LF the program wrote reaches the
// disk as CR LF. Undone here, so tests compare what the program wrote.
std::string WizardTest::log_text() const {
    std::string text = read_whole_file(dir.file("Loader.LOG"));
#ifdef _WIN32
    std::string written;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) written += text[i];
    text = written;
#endif
    return text;
}

std::string last_unit_command(const SimUnit& unit) {
    std::string last;
    for (const SimEvent& e : unit.transcript())
        if (e.kind == SimEvent::received && e.text != "<CAN x8>") last = e.text;
    return last;
}
