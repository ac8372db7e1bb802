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

namespace {
constexpr char test_mode_answer[] = "OK: Entering TSTBLK mode";
constexpr uint8_t cancel_byte = 0x18;
}  // namespace

int load_block_test(Page page) {
    status_show("Load Block Test image, 2097152 bytes\r\n");
    show_operation_title(page, "Load Block Test image");
    if (g_commands.abort_requested) {
        unit_close_port();
        return 1;
    }
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
    // An "ERR" or a restart the unit reported during the stream fails the test as well.
    if (pass.end != PassEnd::done || pass.unit_error) {
        status_show("Block test stream did not complete.\r\n");
        unit_close_port();
        return 1;
    }
    wait_responsive(2000);
    for (int i = 0; i < 8; ++i) {
        if (!unit_put_byte(cancel_byte)) {
            status_show("The end of the block test could not be sent to the unit.\r\n");
            unit_close_port();
            return 1;
        }
        wait_responsive(0);
    }
    status_show("Load Block Test image complete\r\n");
    show_operation_title(page, "Load Block Test image Complete");
    unit_close_port();
    page_end(page, PAGE_BACK_TO_SETUP);
    return 1;
}
