#pragma once
// An in-memory dialog template built from a page declaration, so that the
// Win32 pages are laid out from the same data as every other backend.
#include <cstdint>
#include <vector>

#include "platform/page_layout.h"

// A DLGTEMPLATE with its items, ready for DialogBoxIndirectParam; 4-byte aligned.
std::vector<uint32_t> dialog_template(const PageLayout& layout);
