#pragma once
// Puts a frame of text lines on the screen: the whole window redrawn with
// escape sequences on a terminal, else the lines printed when they changed.
#include <string>
#include <string_view>
#include <vector>

void screen_show(const std::vector<std::string>& lines);
// The next frame is drawn even if it equals the last one (after a resize or a prompt).
void screen_invalidate();
bool screen_is_stale();
// Text from outside (the unit, files) without control characters; at most `width` columns.
std::string screen_text(std::string_view text, std::size_t width);
