#include <array>
#include <cstring>
#include <span>

#include "catalogue/earlier_generation_files.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/map_file.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/earlier_blocks.h"
#include "loads/earlier_flash.h"
#include "loads/earlier_inputs.h"
#include "loads/earlier_loads.h"
#include "output/status_shown.h"
#include "unit/identity.h"

namespace {
constexpr int offsets_in_block = 9;

// The map info section is built for address 0; the unit takes the airport
// data at its relocation base B + 256. A block whose first offset already
// lies there was relocated before and keeps its stored checksum.
std::array<uint8_t, map_info_size> relocated_control_block(uint32_t base) {
    std::array<uint8_t, map_info_size> block;
    std::memcpy(block.data(), map_file_state().map_info, block.size());
    const uint32_t shift = base + 256;
    if (get_be32(block.data()) >= shift) return block;
    for (int i = 0; i < offsets_in_block; ++i) put_be32(&block[8 * i], get_be32(&block[8 * i]) + shift);
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, block.data(), 252);
    put_be32(&block[252], reg);
    return block;
}

void run_airport_load(Page page) {
    control_show(page, ID_TRANSFER_LINE, true);
    const auto block = relocated_control_block(p_table_word(P_AIRPORT_BASE));
    if (!enter_earlier_load_mode(page, LOAD_AIRPORT, block.data())) return;
    const std::span<const uint8_t> data(earlier_airport_data(), std::size_t(earlier_airport_size()));
    status_show(formatted("Load airport data, %d bytes\r\n", int(data.size())));
    show_operation_title(page, "Load Airport Data");
    TransferProgress progress{page};
    const BlockRun run{.bytes = data,
                       .first = 0,
                       .address_offset = 256,
                       .replies = BlockReplies::lower_baud,
                       .progress_base = 0,
                       .progress_total = data.size()};
    if (send_earlier_blocks(page, run, progress) != BlocksEnd::sent) return;
    // A link that is gone fails the flash command that follows.
    static_cast<void>(send_baud_command(115200));
    const FlashWrite flash{.steps = flash_steps(g_unit.unit_generation, 60),
                           .limits = database_flash_limits,
                           .title = "    WAIT ... Writing to Flash    ",
                           .show_status = true,
                           .baud_each_pass = false,
                           .question = "Burn flash failed\nTry again?"};
    if (write_flash(page, flash) != FlashEnd::written) return;
    control_show(page, ID_SECOND_PROGRESS, false);
    control_enable(page, ID_SECOND_PROGRESS, false);
    status_show("Load airport data complete\r\n");
    status_show("** When finished loading all files\r\n");
    status_show("** Reset instrument to activate new airport data\r\n");
    show_operation_title(page, "Load Airport Data Complete");
    unit_close_port();
}
}  // namespace

int load_airport_serial(Page page) {
    if (earlier_load_can_start(page, LF_AIRPORT)) run_airport_load(page);
    // The data is read again from the file for the next load.
    earlier_airport_release();
    return 1;
}
