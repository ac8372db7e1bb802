#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/virtual_clock.h"

TEST(VirtualClock, SleepAdvancesAtOnceAndCallsTheHook) {
    virtual_clock_reset(1000);
    uint64_t seen = 0;
    virtual_clock_on_sleep([&](uint64_t t) { seen = t; });
    sleep_ms(30000);
    EXPECT_EQ(now_ms(), 31000u);
    EXPECT_EQ(seen, 31000u);
    virtual_clock_reset();
}
