// Message boxes for the fuzz targets: nobody is there to answer them.
#include "silent_window.h"

namespace {
int answer_ok(std::string_view, std::string_view, BoxButtons, BoxIcon) { return BOX_OK; }

void nothing_queued() {}

// libFuzzer owns main: the boxes are silent before the first input.
[[maybe_unused]] const bool installed = (install_window_system(silent_window_system()), true);
}  // namespace

const WindowSystem& silent_window_system() {
    static const WindowSystem system{.message_box = answer_ok, .yield_to_window = nothing_queued};
    return system;
}
