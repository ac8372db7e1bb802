#include "loads/earlier_blocks.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "link/commands.h"
#include "loads/reply_questions.h"
#include "link/serial.h"
#include "output/log.h"
#include "output/report.h"
#include "output/status.h"
#include "output/status_shown.h"
#include "platform/window.h"

namespace {
constexpr uint32_t reply_limit_ms = 2050;
constexpr int retries_before_asking = 10;

struct BlockCounts {
    int retries = 0;
    int errors = 0;
};

void show_progress(Page page, const BlockRun& run, std::size_t offset, TransferProgress& progress) {
    const uint64_t at = run.progress_base + offset;
    if (at <= run.progress_total) return progress.show("Transferring", at, run.progress_total);
    const int permille = int(at * 1000 / run.progress_total);
    if (permille == progress.last_shown) return;
    progress.last_shown = permille;
    progress_set_position(page, ID_PROGRESS, std::min(permille, 1000));
    control_set_text(page, ID_TRANSFER_LINE,
                     formatted("Transferring %" PRIu64 " bytes .. zeroing %" PRIu64, run.progress_total,
                               at - run.progress_total));
    yield_to_window();
}

void count_write_error(Page page, BlockCounts& counts) {
    ++counts.errors;
    const std::string title = formatted("    Write error count %i    ", counts.errors);
    log_write(title);
    show_operation_title(page, title);
}

// After the tenth time-out or refusal in a row, and after every further one:
// true when the technician wants the block sent again.
bool ask_again(int got) {
    if (got < 0) return report_error("Block send timed out\nTry again?");
    status_show_failure_detail(formatted("Unit sent '%s'", g_commands.unit_reply.data()));
    return report_error("Unit replied with an error\nTry again?");
}

// After the tenth refusal in a row: true when the technician chose a lower
// rate and the unit was told of it.
bool step_down(Page page, BlockCounts& counts) {
    status_show_failure_detail(formatted("Unit sent '%s'", g_commands.unit_reply.data()));
    if (!report_error("Unit replied with an error\nTry again at lower baud rate?")) return false;
    counts.retries = 0;
    if (send_lower_baud_command() != BaudCommand::sent) return false;
    const std::string rate = formatted("   Baud Rate Set to %i   ", int(g_commands.baud_setting));
    show_operation_title(page, rate);
    // The unit's block receiver starts afresh at the new rate.
    if (!unit_send_command("N\r")) return false;
    log_write(rate);
    return true;
}

// The unit refused the block or did not answer in time. True when the block
// is to be sent again; false when the technician gave up (the link is closed).
bool after_refusal(Page page, const BlockRun& run, BlockCounts& counts, int got) {
    ++counts.retries;
    log_write(g_commands.unit_reply.data());
    const std::string title = formatted("    Retry count %i    ", counts.retries);
    show_operation_title(page, title);
    log_write(title);
    if (counts.retries < retries_before_asking) return true;
    // On the terrain loads the count runs on, so every further refusal asks again.
    if (run.replies == BlockReplies::ask_again ? ask_again(got) : step_down(page, counts)) return true;
    unit_close_port();
    return false;
}
}  // namespace

bool enter_earlier_load_mode(Page page, int mode, const uint8_t* control_block) {
    const ModeOpening opening = enter_load_mode_serial(mode, control_block);
    if (opening.end == ModeEnd::not_answered) ask_after_mode_command(page, opening);
    // The page stays open: what went wrong is the last thing on it.
    if (opening.end == ModeEnd::abandoned && !g_commands.abort_requested)
        status_show("The unit could not be put into its load mode.\r\n");
    return opening.end == ModeEnd::ready;
}

BlocksEnd send_earlier_blocks(Page page, const BlockRun& run, TransferProgress& progress) {
    BlockCounts counts;
    std::size_t offset = run.first;
    while (offset < run.bytes.size() && !g_commands.abort_requested) {
        const std::size_t n = std::min(earlier_block_size, run.bytes.size() - offset);
        const BlockEnd sent = send_block_serial('D', run.bytes.data() + offset, n, uint32_t(offset + run.address_offset));
        if (sent != BlockEnd::sent) count_write_error(page, counts);
        if (g_commands.abort_requested) break;
        if (run.replies != BlockReplies::none) {
            yield_to_window();
            const int got = unit_read_line(g_commands.unit_reply.data(), g_commands.unit_reply.size(), reply_limit_ms);
            if (g_commands.abort_requested) break;
            if (got < 0) std::snprintf(g_commands.unit_reply.data(), g_commands.unit_reply.size(), "no reply");
            if (got < 0 || std::strncmp(g_commands.unit_reply.data(), "OK", 2) != 0) {
                if (!after_refusal(page, run, counts, got)) return BlocksEnd::stopped;
                continue;
            }
            counts.retries = 0;
        }
        offset += n;
        show_progress(page, run, offset, progress);
    }
    if (!g_commands.abort_requested) return BlocksEnd::sent;
    unit_close_port();
    return BlocksEnd::stopped;
}
