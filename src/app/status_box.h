#pragma once
// The transfer page's status box: a multi-line text box that keeps only its
// recent lines.
#include <string_view>

#include "platform/pages.h"

// Makes the page's control the status box (fixed-pitch font in the backends).
void status_attach(Page page, int control);
void status_detach();
bool status_attached();
// Appends at the end; once the box holds more than 20000 characters the first
// 50 lines leave before the text is added. Nothing happens when no box is attached.
void status_box_append(std::string_view text);
