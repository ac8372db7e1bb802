#pragma once
// The version select dialog ("HTAWS Program Version Select") over the page
// seam: the technician marks one candidate of a catalogue.
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

// Runs the dialog for `kind`. Returns the text the setup page shows for the
// catalogue afterwards, whether a line was selected or the dialog cancelled.
std::string run_version_select(CatalogueKind kind);
// The same dialog over any list, `initial` marked (-1: none); the line the
// technician selected, nothing when cancelled or none was marked.
std::optional<int> run_list_select(std::vector<std::string> items, int initial);
