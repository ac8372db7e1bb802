#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "catalogue/earlier_generation_files.h"
#include "formats/file_pieces.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "loads/earlier_blocks.h"
#include "loads/earlier_flash.h"
#include "loads/earlier_inputs.h"
#include "loads/earlier_loads.h"
#include "output/log.h"
#include "output/status.h"
#include "output/status_shown.h"
#include "platform/files.h"
#include "platform/window.h"
#include "unit/identity.h"
#include "platform/page_result.h"

namespace {
constexpr int64_t data_chunk_size = 2097152;
constexpr uint32_t size_reply_limit_ms = 2050;
constexpr uint32_t speed_reply_limit_ms = 1000;
constexpr uint32_t closing_pause_ms = 3000;
constexpr std::size_t control_block_bytes = 256;

struct Phase {
    bool data;
    const std::string& path;
    const char* size_command;
    const char* opening;
    int generation_one_steps;
};

// File and memory errors: a box of their own and the log; the load returns -1.
int error_box(const std::string& text, const char* caption) {
    log_write(text);
    message_box(text, caption, BoxButtons::ok, BoxIcon::error);
    return -1;
}

// The error number of the system call that just failed.
int system_error_number() { return errno != 0 ? errno : EIO; }

// `number`: the system's error number, 0 for a file that ends too soon.
int file_error(const char* caption, int number, const std::string& path, int step) {
    return error_box(file_error_text(number, path, step, false), caption);
}

// "OK" to the chunk size, or the unit's answer shown in a box.
bool size_accepted(int64_t chunk, const char* command) {
    status_note("Sending terrain transfer size = %" PRId64 " bytes\r\n", chunk);
    char* reply = g_commands.unit_reply.data();
    const std::size_t size = g_commands.unit_reply.size();
    int got = -1;
    if (unit_send_command(command, unsigned(chunk))) got = unit_read_line(reply, size, size_reply_limit_ms);
    if (got >= 0 && std::strncmp(reply, "OK", 2) == 0) return true;
    if (got < 0) std::snprintf(reply, size, "no reply");
    error_box(reply, "Can't send size");
    return false;
}

// Before its flash write the unit is set to full speed; anything but an
// empty answer or "OK" means it is not ready to write.
bool speed_set(Page page) {
    char* reply = g_commands.unit_reply.data();
    const bool sent = send_baud_command(115200) == BaudCommand::sent && unit_send_command("\r\n");
    const int got = sent ? unit_read_line(reply, g_commands.unit_reply.size(), speed_reply_limit_ms) : -1;
    if (got <= 0 || std::strncmp(reply, "OK", 2) == 0) return true;
    status_note("Unit sent '%s'\r\n", reply);
    unit_close_port();
    page_end(page, RESULT_QUIT);
    return false;
}

// One chunk: its own load mode, blocks and flash write. True when the unit
// has written it.
bool send_chunk(Page page, const Phase& phase, std::span<const uint8_t> chunk, const BlockRun& run,
                TransferProgress& progress) {
    // The chunk's control block is the first 256 bytes of the chunk buffer
    // itself: the files define no block of their own for this load.
    if (!enter_earlier_load_mode(page, LOAD_TERRAIN, chunk.data())) return false;
    status_note("Terrain send, bytes %" PRIu64 " to %" PRIu64 " ...\r\n", run.progress_base,
                run.progress_base + std::min<uint64_t>(chunk.size(), run.progress_total - run.progress_base) - 1);
    if (send_earlier_blocks(page, run, progress) != BlocksEnd::sent) return false;
    if (!speed_set(page)) return false;
    const FlashWrite flash{.steps = flash_steps(g_unit.unit_generation, phase.generation_one_steps),
                           .limits = database_flash_limits,
                           .title = "    WAIT ... Writing to Flash    ",
                           .show_status = false,
                           .baud_each_pass = false,
                           .question = "Burn flash failed\nTry again?"};
    return write_flash(page, flash) == FlashEnd::written;
}

int send_file(Page page, const Phase& phase, std::FILE* file, int64_t length) {
    const int64_t chunk_size = phase.data ? std::min(length, data_chunk_size) : length;
    std::vector<uint8_t> buffer;
    try {
        // Never shorter than the control block taken from its start.
        buffer.resize(std::max<std::size_t>(std::size_t(chunk_size), control_block_bytes));
    } catch (const std::bad_alloc&) {
        return error_box(formatted("Could not allocate %" PRId64 " bytes. for terrain data", chunk_size), "Error");
    }
    if (!size_accepted(chunk_size, phase.size_command)) return 1;
    status_show(formatted("%s, %" PRId64 " bytes\r\n", phase.opening, length));
    const std::span<const uint8_t> chunk(buffer.data(), std::size_t(chunk_size));
    TransferProgress progress{page};
    for (int64_t done = 0; done < length; done += chunk_size) {
        std::fill(buffer.begin(), buffer.end(), uint8_t{0});
        const std::size_t wanted = std::size_t(std::min(length - done, chunk_size));
        if (std::fread(buffer.data(), 1, wanted, file) != wanted)
            return file_error("Read Error", read_error_number(file, errno), phase.path, 3);
        const BlockRun run{.bytes = chunk,
                           .first = 0,
                           .address_offset = 256,
                           .replies = BlockReplies::ask_again,
                           .progress_base = uint64_t(done),
                           .progress_total = uint64_t(length)};
        if (!send_chunk(page, phase, chunk, run, progress)) return 1;
        control_show(page, ID_SECOND_PROGRESS, false);
        control_enable(page, ID_SECOND_PROGRESS, false);
        show_operation_title(page, "    Load Terrain Data    ");
    }
    return 0;
}

int load_terrain_phase(Page page, const Phase& phase) {
    control_show(page, ID_TRANSFER_LINE, true);
    show_operation_title(page, "    Load Terrain Data    ");
    std::FILE* file = std::fopen(phase.path.c_str(), "rb");
    if (!file) return file_error("Open Error", system_error_number(), phase.path, 1);
    const int64_t length = file_size(file);
    int result = -1;
    if (length < 0) {
        result = file_error("Seek Error", system_error_number(), phase.path, 2);
    } else if (length == 0) {
        // An empty file has nothing for the unit to write; a load of it would
        // report a completion with nothing sent.
        result = error_box(formatted("File %s is empty", phase.path.c_str()), "Read Error");
    } else {
        result = send_file(page, phase, file, length);
    }
    std::fclose(file);
    return result;
}
}  // namespace

int load_terrain_serial_header(Page page) {
    if (!earlier_load_can_start(page, LF_TERRAIN)) return 1;
    const int result = load_terrain_phase(page, {.data = false,
                                                 .path = earlier_terrain_header_file(),
                                                 .size_command = "ZH %X\r\n",
                                                 .opening = "Load terrain header",
                                                 .generation_one_steps = 8});
    if (result != 0) return result;
    status_show("Load terrain header complete\r\n");
    unit_close_port();
    return 0;
}

int load_terrain_serial_data(Page page) {
    if (!earlier_load_can_start(page, LF_TERRAIN_DATA)) return 1;
    const int result = load_terrain_phase(page, {.data = true,
                                                 .path = earlier_terrain_data_file(),
                                                 .size_command = "ZT %X\r\n",
                                                 .opening = "Load terrain data",
                                                 .generation_one_steps = 50});
    if (result != 0) return result;
    status_show("Load terrain data complete\r\n");
    status_show("** When finished loading all files\r\n");
    status_show("** Reset instrument to activate new terrain data.\r\n");
    status_show("** Returning to Setup Dialog momentarily.\r\n");
    show_operation_title(page, "Load Terrain Data Complete");
    unit_close_port();
    // The technician reads the closing lines; a page command ends the page sooner.
    if (wait_responsive(closing_pause_ms)) page_end(page, RESULT_BACK);
    return 0;
}
