#pragma once
// The message boxes of the file checks: each text is shown in a task-modal
// box with an OK button and written to the log.
#include <string>
#include <string_view>

#include "platform/window.h"

// The form with its one "%s" replaced by `value`.
std::string with_text(std::string_view form, std::string_view value);
void refuse(std::string_view text, std::string_view caption = "Error", BoxIcon icon = BoxIcon::error);
