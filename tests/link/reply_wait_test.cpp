#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/link_fixture.h"
#include "platform/clock.h"
#include "support/scripted_window.h"

namespace {
// Cancel pressed while the uploader waits for a unit that does not answer: the
// press is dispatched by the wait itself, which ends at once instead of at its limit.
TEST_F(LinkTest, AReplyWaitEndsSoonAfterTheTechnicianCancels) {
    SimConfig silent;
    silent.faults.silent = true;
    open(silent);
    const uint64_t start = now_ms();
    script_on_yield([start] {
        if (now_ms() - start >= 300) g_commands.abort_requested = true;
    });
    char line[256];
    EXPECT_EQ(unit_read_line(line, sizeof line, 60000), -1);
    EXPECT_LE(now_ms() - start, 340u);
    script_on_yield(nullptr);
}
}  // namespace
