#include <cstring>

#include "link/commands.h"
#include "link/responsive_wait.h"
#include "loads/recordings.h"
#include "output/status_shown.h"
#include "platform/page_result.h"

int erase_recordings(Page page) {
    char reply[256] = {};
    bool answered = false;
    if (unit_send_command("ER\r\n")) {
        wait_responsive(700);
        answered = unit_read_line(reply, sizeof reply, 700) >= 0 && std::strstr(reply, "OK") != nullptr;
    }
    status_show(answered ? "Erased Flight Recordings from system\r\n"
                         : "FAILED Erase of Flight Recordings from system\r\n");
    status_show("Flight Data Recording erase operation complete.\r\n");
    status_show("Will return to the Setup dialog momentarily.\r\n");
    wait_responsive(3000);
    page_end(page, RESULT_BACK);
    return 1;
}
