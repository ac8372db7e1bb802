#include "unit/yielding_wait.h"

#include "platform/clock.h"
#include "platform/window.h"

void keep_yielding(uint32_t ms) {
    const uint64_t until = now_ms() + ms;
    do {
        yield_to_window();
        sleep_ms(1);
    } while (now_ms() < until);
}
