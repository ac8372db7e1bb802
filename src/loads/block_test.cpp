#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "catalogue/upload_settings.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "link/staging.h"
#include "loads/block_test.h"
#include "loads/file_body.h"
#include "output/status_shown.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/page_result.h"

namespace {
constexpr char test_mode_answer[] = "OK: Entering TSTBLK mode";
constexpr uint8_t cancel_byte = 0x18;

// The eight CAN bytes that take the unit out of its test mode, after a pause
// that lets it take in the last piece. False when one could not be sent.
bool end_test_mode() {
    wait_responsive(2000);
    for (int i = 0; i < 8; ++i) {
        if (!unit_put_byte(cancel_byte)) return false;
        wait_responsive(0);
    }
    return true;
}
}  // namespace

int load_block_test(Page page) {
    control_show(page, ID_TRANSFER_LINE, true);
    status_show("Load Block Test image, 2097152 bytes\r\n");
    show_operation_title(page, "Load Block Test image");
    if (g_commands.abort_requested) {
        unit_close_port();
        return 1;
    }
    // An earlier-generation unit is told the full speed through the port,
    // its staging stream; a current unit has none and is told nothing.
    static_cast<void>(send_baud_command(115200));
    // The test file is only read: it is streamed from its own handle while no
    // staging stream is open, so nothing is ever written into it.
    staging_close();
    std::optional<std::string> path = path_join(upload_setting(PGM_DIR), "two_meg.dat");
    std::FILE* file = path ? std::fopen(path->c_str(), "rb") : nullptr;
    if (!file) {
        status_show("Block test file " + path.value_or("two_meg.dat") + " could not be opened.\r\n");
        return 1;
    }
    char reply[256] = {};
    if (!unit_send_command("PT\r") || unit_read_line(reply, sizeof reply, 1000) < 0 ||
        std::strncmp(reply, test_mode_answer, std::strlen(test_mode_answer)) != 0) {
        std::fclose(file);
        status_show("The unit did not enter the block test mode.\r\n");
        return 0;
    }
    TransferProgress progress{page};
    int64_t size = file_size(file);
    PassResult pass = send_file_body(file, size < 0 ? 0 : uint64_t(size), progress);
    std::fclose(file);
    // The unit leaves its test mode however the stream went: an "ERR" or a
    // restart it reported fails the test only once it is out of that mode.
    const bool ended = !g_commands.abort_requested && end_test_mode();
    const char* failure = pass.end != PassEnd::done || pass.unit_error ? "Block test stream did not complete.\r\n"
                          : !ended ? "The end of the block test could not be sent to the unit.\r\n"
                                   : nullptr;
    if (failure) {
        status_show(failure);
        unit_close_port();
        return 1;
    }
    status_show("Load Block Test image complete\r\n");
    show_operation_title(page, "Load Block Test image Complete");
    unit_close_port();
    page_end(page, RESULT_BACK);
    return 1;
}
