// The block test against the strict simulated unit of either generation: the
// transfer line the technician watches, the speed an earlier unit is told
// first, and the eight CAN bytes that take the unit out of its test mode
// however the stream went.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/page_layouts.h"
#include "app/transfer_page.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/upload_settings.h"
#include "link/commands.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "setup/setup_page.h"
#include "support/fixtures/bytes.h"
#include "support/scripted_pages.h"
#include "support/sim_port.h"
#include "support/text_checks.h"
#include "unit/identity.h"
#include "platform/page_result.h"

namespace {
constexpr std::size_t test_file_size = 200000;
}  // namespace

class BlockTest : public WizardTest {
protected:
    SimUnit& unit_of(int generation, SimFaults faults = {}) {
        SimConfig config;
        config.generation = generation;
        if (generation == 1) config.p_table.hardware_id = 0x12345FFF;
        config.faults = std::move(faults);
        return attach_unit(config);
    }

    int run(int generation, std::vector<TechAction> actions = {tech::wait(120000)}) {
        std::filesystem::create_directories(dir.file("System"));
        dir.write("System/two_meg.dat", filler_bytes(test_file_size, 5));
        EXPECT_TRUE(set_upload_setting(PGM_DIR, dir.file("System")));
        EXPECT_TRUE(locate_unit_port());
        g_unit.unit_generation = generation;
        g_link.port_found = true;
        set_handed_function(LF_BLOCK_TEST);
        script_page(TRANSFER_PAGE, std::move(actions));
        return DoTransfer();
    }

    std::string status() const { return page_control(TRANSFER_PAGE, ID_STATUS_BOX).text; }
};

// The transfer line is shown while the file streams; an earlier unit is told
// the full speed through the port before the test mode is asked for, a
// current unit is told no speed at all.
TEST_F(BlockTest, StreamsWithItsTransferLineShownAtTheUnitsSpeed) {
    for (int generation : {4, 1}) {
        SCOPED_TRACE(generation);
        pages_reset();
        SimUnit& sim = unit_of(generation);
        EXPECT_EQ(run(generation), RESULT_BACK);
        const ScriptedControl& line = page_control(TRANSFER_PAGE, ID_TRANSFER_LINE);
        EXPECT_TRUE(line.visible);
        EXPECT_EQ(line.text, "Transferring 200000 of 200000 bytes");
        const std::string transcript = sim.transcript_text();
        if (generation == 1)
            EXPECT_TRUE(has(transcript, "> BR 115200\n# link speed 115200\n> PT\n")) << transcript;
        else
            EXPECT_FALSE(has(transcript, "> BR")) << transcript;
        ASSERT_EQ(sim.loads().size(), 1u) << transcript;
        EXPECT_TRUE(sim.loads()[0].accepted) << sim.loads()[0].verdict;
        EXPECT_EQ(sim.loads()[0].length, test_file_size);
        EXPECT_TRUE(has(status(), "Load Block Test image complete\r\n")) << status();
    }
}

// An "ERR" or a restart in the middle fails the test, but only after the unit
// has had its eight CAN bytes: it is not left in its test mode.
TEST_F(BlockTest, AFaultInTheStreamStillEndsTheTestModeThenFails) {
    struct Case {
        const char* name;
        SimFaults faults;
    };
    SimFaults err, restart;
    err.err_at_body_byte = 70000;
    restart.restart_after = 100000;
    const Case cases[] = {{"ERR", err}, {"restart", restart}};
    anomalies_allowed = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_reset();
        SimUnit& sim = unit_of(4, c.faults);
        EXPECT_EQ(run(4, {tech::wait(120000), tech::escape()}), 0) << "the page stays open";
        const std::string transcript = sim.transcript_text();
        const std::size_t fault = transcript.find(c.faults.restart_after >= 0 ? "unit restarted" : "< ERR");
        ASSERT_NE(fault, std::string::npos) << transcript;
        EXPECT_NE(transcript.find("<CAN x8>", fault), std::string::npos) << transcript;
        for (const SimLoad& load : sim.loads()) EXPECT_FALSE(load.accepted) << load.verdict;
        EXPECT_TRUE(has(status(), "Block test stream did not complete.\r\n")) << status();
        EXPECT_FALSE(has(status(), "Load Block Test image complete")) << status();
        EXPECT_FALSE(sim_port_is_open());
    }
}
