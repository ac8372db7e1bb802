#include "loads/earlier_flash.h"

#include <algorithm>
#include <cstring>

#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/status.h"
#include "output/status_shown.h"
#include "output/transfer_display.h"
#include "platform/clock.h"
#include "loads/reply_questions.h"

namespace {
constexpr uint32_t step_ms = 200;
// A unit that keeps answering "Retry" has not written its flash: after this
// many passes its last answer is its verdict.
constexpr int max_passes = 10;

bool starts_with(const char* text, const char* word) { return std::strncmp(text, word, std::strlen(word)) == 0; }

// True when the write command (and the speed before it) went out.
bool start_pass(Page page, const FlashWrite& flash) {
    set_wait_cursor(true);
    const bool speed_sent = !flash.baud_each_pass || send_baud_command(115200) == BaudCommand::sent;
    const bool command_sent = unit_send_command("W\r\n") && speed_sent;
    if (flash.show_status) status_show("Writing to flash\r\n");
    else status_note("Writing to flash\r\n");
    set_cursor(Cursor::wait);
    show_operation_title(page, flash.title);
    control_enable(page, ID_BACK, false);
    control_enable(page, ID_SECOND_PROGRESS, true);
    control_show(page, ID_SECOND_PROGRESS, true);
    return command_sent;
}

void wait_steps(Page page, int steps) {
    for (int k = 0; steps > 0 && k <= steps; ++k) {
        progress_set_position(page, ID_SECOND_PROGRESS, k * 100 / steps);
        if (!wait_responsive(step_ms)) return;
    }
}

// The unit's lines up to the first that is not a "Begin" progress line: each
// line within the read limit, all of them within the total limit. The line's
// read result (-1 when either limit passed).
int read_verdict(const FlashWrite& flash, char* reply, std::size_t size) {
    const uint64_t deadline = now_ms() + flash.limits.total_ms;
    for (;;) {
        const uint64_t now = now_ms();
        if (now >= deadline) return -1;
        const uint32_t left = uint32_t(std::min<uint64_t>(flash.limits.line_ms, deadline - now));
        const int got = unit_read_line(reply, size, left);
        if (got <= 0 || !starts_with(reply, "Begin")) return got;
        status_note("Unit sent '%s'\r\n", reply);
    }
}
}  // namespace

int flash_steps(int generation, int generation_one_steps) { return generation == 1 ? generation_one_steps : 0; }

FlashEnd write_flash(Page page, const FlashWrite& flash) {
    char* reply = g_commands.unit_reply.data();
    const std::size_t size = g_commands.unit_reply.size();
    int got = -1;
    for (int pass = 1; pass <= max_passes; ++pass) {
        got = -1;
        const bool command_sent = start_pass(page, flash);
        if (g_commands.abort_requested) {
            unit_close_port();
            return FlashEnd::abandoned;
        }
        // A "W" that did not reach the unit gets no answer: waiting for one
        // would only delay the time-out question.
        if (!command_sent) break;
        wait_steps(page, flash.steps);
        control_enable(page, ID_BACK, true);
        got = read_verdict(flash, reply, size);
        if (g_commands.abort_requested) {
            unit_close_port();
            return FlashEnd::abandoned;
        }
        if (got <= 0 || !starts_with(reply, "Retry")) break;
    }
    return reply_accepted(page, reply, got, "OK", flash.question) ? FlashEnd::written : FlashEnd::failed;
}
