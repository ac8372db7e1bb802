#pragma once
// A page drawn as text: its title, then its visible controls in rows as the
// declaration places them, each with its state; the focused one marked '>'.
#include <string>
#include <vector>

#include "platform/term/term_pages.h"

std::vector<std::string> render_page(const PageWindow& page, int cols, int rows);
// The position of a progress bar in thousandths of its range.
long progress_per_mille(const PageControl& control);
// A progress bar with its position in thousandths of its range.
std::string progress_text(const PageControl& control);
// Its label without the '&' that marks a Windows keyboard accelerator.
std::string label_of(const std::string& text);
