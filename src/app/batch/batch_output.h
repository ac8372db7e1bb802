#pragma once
// What a run from the command line prints as it goes: the status lines as the
// procedures show them, the message boxes, and one progress line (per-mille
// bar, bytes, rate, time left), redrawn in place on a terminal and printed as
// plain lines every tenth otherwise.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/pages.h"

// Prints to `out` from now on; `redraw`: the progress line is redrawn in place.
void batch_output_start(std::FILE* out, bool redraw);
void batch_output_line(std::string_view text);
// The run's last line(s), unless the very same text was printed last.
void batch_output_final(std::string_view text);
// The progress bar or transfer line of the page changed.
void batch_output_progress(Page page);
// The progress line for a per-mille value and the bytes done of the total; the
// rate from the bytes moved in the milliseconds since the pass was first shown.
// Any values give a line; with a width (not 0) the line fits in it.
std::string progress_line(int per_mille, uint64_t done, uint64_t total, uint64_t moved, uint64_t elapsed_ms,
                          std::size_t width = 0);
