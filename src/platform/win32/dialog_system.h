#pragma once
// The parts of the dialog backend that window_systems.cpp puts together.
#include <optional>
#include <string>
#include <string_view>

#include "platform/window_system.h"

int dialog_page_run(const PageLayout& layout, PageHandler handler);
extern const PageFunctions dialog_page_functions;
std::optional<std::string> dialog_pick_file(Page owner, const FilePicker& picker);
std::optional<std::string> dialog_browse_folder(Page owner, std::string_view title);
int dialog_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon);
// Takes at most one pending message of the thread's queue and dispatches it.
void dialog_yield();
