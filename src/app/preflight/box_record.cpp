#include "app/preflight/box_record.h"

#include <string_view>
#include <utility>

#include "platform/batch/batch_pages.h"

namespace {
std::vector<std::string> g_boxes;

int record_box(std::string_view text, std::string_view, BoxButtons buttons, BoxIcon) {
    g_boxes.emplace_back(text);
    return buttons == BoxButtons::ok ? BOX_OK : buttons == BoxButtons::yes_no ? BOX_NO : BOX_CANCEL;
}

// The preflight opens no page.
BatchStep no_page(Page) { return BatchStep::stuck; }
void ignore_page(Page) {}

constexpr BatchPolicy recording_policy{no_page, ignore_page, ignore_page, record_box};
}  // namespace

void start_recording_boxes() {
    g_boxes.clear();
    batch_set_policy(&recording_policy);
}

void stop_recording_boxes() {
    batch_set_policy(nullptr);
    g_boxes.clear();
}

std::vector<std::string> take_recorded_boxes() { return std::exchange(g_boxes, {}); }
