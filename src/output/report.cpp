#include <string>

#include "output/log.h"
#include "output/report.h"
#include "platform/window.h"

int report_error(std::string_view text) {
    log_write("Error:" + std::string(text));
    return message_box(text, "Error", BoxButtons::yes_no, BoxIcon::error) == BOX_YES ? 1 : 0;
}

int report_debug(std::string_view text) {
    log_write("Debug:" + std::string(text));
    message_box(text, "Debug", BoxButtons::ok, BoxIcon::information);
    return 1;
}
