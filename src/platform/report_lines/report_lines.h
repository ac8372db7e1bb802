#pragma once
// A window backend without a window: every message box becomes a recorded
// line for a report, answered so that the flow that showed it ends.
#include <string>
#include <vector>

#include "platform/window.h"
#include "platform/window_system.h"

struct ReportedBox {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::none;
};

// Boxes and the message pump only: a report has no pages.
const WindowSystem& report_lines_window_system();
// The boxes shown since the last call, oldest first; the record starts empty.
std::vector<ReportedBox> take_reported_boxes();
