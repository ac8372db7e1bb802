#pragma once
// How a run learns from the status lines that its function completed: each
// family's line of completion, or the loads' closing line after their own
// text of success. A failure after one (the unit's verdict) still fails it.
#include <string>
#include <string_view>

// The status line `line`, shown after `previous`, marks the function
// complete; `completion` is then the text of completion.
bool marks_completion(std::string_view line, std::string_view previous, std::string& completion);
