#pragma once
// The two standard message boxes, each also logged.
#include <string_view>

// "Error" Yes/No box; 1 for Yes, 0 for No.
int report_error(std::string_view text);
// "Debug" OK box; returns 1.
int report_debug(std::string_view text);
