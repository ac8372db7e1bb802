#include "platform/report_lines/report_lines.h"

#include <utility>

namespace {
std::vector<ReportedBox> g_boxes;

// No one is there to choose, so a box is answered with the button that gives
// up: No, Cancel, Abort or the only OK.
int giving_up(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::ok: return BOX_OK;
        case BoxButtons::ok_cancel:
        case BoxButtons::retry_cancel:
        case BoxButtons::yes_no_cancel: return BOX_CANCEL;
        case BoxButtons::yes_no: return BOX_NO;
        case BoxButtons::abort_retry_ignore: return BOX_ABORT;
    }
    return BOX_OK;
}

int report_line(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon) {
    g_boxes.push_back({std::string(caption), std::string(text), icon});
    return giving_up(buttons);
}

// Nothing is ever queued without a window.
void nothing_queued() {}
}  // namespace

const WindowSystem& report_lines_window_system() {
    static const WindowSystem system{.message_box = report_line, .yield_to_window = nothing_queued};
    return system;
}

std::vector<ReportedBox> take_reported_boxes() { return std::exchange(g_boxes, {}); }
