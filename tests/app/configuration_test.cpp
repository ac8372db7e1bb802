#include <gtest/gtest.h>

#include <ctime>

#include "app/page_layouts.h"
#include "app/startup.h"
#include "app/wizard_fixture.h"
#include "catalogue/loader_function.h"
#include "catalogue/setup_layout.h"
#include "support/scripted_pages.h"
#include "support/scripted_window.h"

namespace {
// Parameter files and the log are text files: a line feed is CR LF on Windows.
#ifdef _WIN32
constexpr const char* text_line_end = "\r\n";
#else
constexpr const char* text_line_end = "\n";
#endif

std::string lines_of(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + text_line_end;
    return text;
}

std::vector<int> templates_shown() {
    std::vector<int> shown;
    for (const PageRun& run : page_runs()) shown.push_back(run.template_id);
    return shown;
}
}  // namespace

TEST_F(WizardTest, ConfigurationReadFromSetupToFileAndBack) {
    SimUnit& sim = attach_unit();
    script_page(SETUP_PAGE, {tech::click(LF_READ_CONFIG), tech::type(ID_PARAMETER_BOX, "backup.dat"),
                             tech::click(ID_SETUP_NEXT)});
    script_page(SETUP_PAGE, {tech::check([] {
                                 EXPECT_TRUE(page_control(SETUP_PAGE, LF_READ_CONFIG).checked)
                                     << "the last function is selected again";
                             }),
                             tech::click(ID_SETUP_EXIT)});
    run_wizard(std::time(nullptr));

    EXPECT_EQ(templates_shown(),
              (std::vector<int>{SPLASH_RK5200H, SETUP_PAGE, WAITING_PAGE, TRANSFER_PAGE, SETUP_PAGE}));
    EXPECT_EQ(read_whole_file(dir.file("Parameter Files/backup.dat")), lines_of(sim.parameters()));
    EXPECT_EQ(page_control(TRANSFER_PAGE, ID_OPERATION_TITLE).text, "Configuration Read Complete");
    const std::string box = page_control(TRANSFER_PAGE, ID_STATUS_BOX).text;
    EXPECT_NE(box.find("Communications ready\r\nReading configuration from unit\r\n"), std::string::npos) << box;
    EXPECT_NE(box.find("Done reading configuration\r\nConfiguration read complete\r\n"), std::string::npos) << box;
    const std::string transcript = sim.transcript_text();
    EXPECT_NE(transcript.find("> STOPF"), std::string::npos);
    EXPECT_NE(transcript.find("> RP"), std::string::npos);
    EXPECT_NE(transcript.find("> STARTF"), std::string::npos);
    const std::string log = log_text();
    EXPECT_NE(log.find(sim.parameters().front() + "\r" + text_line_end), std::string::npos) << "each line is noted in the log";
}
