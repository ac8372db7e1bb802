#include <span>
#include <vector>

#include "catalogue/system_file_reader.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/earlier_blocks.h"
#include "loads/earlier_flash.h"
#include "loads/earlier_loads.h"
#include "output/report.h"
#include "output/status_shown.h"
#include "setup/setup_page.h"
#include "unit/configuration.h"
#include "unit/identity.h"
#include "platform/page_result.h"

namespace {
// The image holds 1024 spare bytes after its declared length.
constexpr std::size_t image_spare = 1024;

bool configuration_saved(Page page) {
    const int read = read_configuration(page, software_backup_path());
    if (g_commands.abort_requested) {
        unit_close_port();
        return false;
    }
    if (read == 0) return true;
    unit_close_port();
    page_end(page, report_error("Problem reading configuration\nTry again?") ? RESULT_WAITING_AGAIN : RESULT_QUIT);
    return false;
}

void run_software_load(Page page) {
    control_show(page, ID_TRANSFER_LINE, true);
    if (!configuration_saved(page)) return;
    const std::vector<uint8_t>& image = system_image();
    const std::span<const uint8_t> bytes(image.data(), image.size() - image_spare);
    if (!enter_earlier_load_mode(page, LOAD_BINARY, bytes.data())) return;
    status_show(formatted("Load system software, %d bytes\r\n", int(bytes.size())));
    show_operation_title(page, "Load System Software");
    TransferProgress progress{page};
    const BlockRun run{.bytes = bytes,
                       .first = 256,
                       .address_offset = 0,
                       .replies = BlockReplies::none,
                       .progress_base = 0,
                       .progress_total = bytes.size()};
    if (send_earlier_blocks(page, run, progress) != BlocksEnd::sent) return;
    const FlashWrite flash{.steps = flash_steps(g_unit.unit_generation, 50),
                           .limits = software_flash_limits,
                           .title = "   WAIT ... Writing to Flash   ",
                           .show_status = true,
                           .baud_each_pass = true,
                           .question = "Flash Write failed\nTry again?"};
    if (write_flash(page, flash) != FlashEnd::written) return;
    control_show(page, ID_SECOND_PROGRESS, false);
    control_enable(page, ID_SECOND_PROGRESS, false);
    status_show("System software load complete\r\n");
    status_show("** When finished loading all files\r\n");
    status_show("** Reset instrument to activate new system software\r\n");
    show_operation_title(page, "System Software Load Complete");
    unit_close_port();
}
}  // namespace

int load_system_software_serial(Page page) {
    run_software_load(page);
    // The image is read again from the file for the next load.
    system_image_reset();
    return 1;
}
