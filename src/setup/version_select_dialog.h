#pragma once
// The version select dialog ("HTAWS Program Version Select") over the page
// seam: the technician marks one candidate of a catalogue.
#include <string>

#include "catalogue/catalogue.h"

// Runs the dialog for `kind`. Returns the text the setup page shows for the
// catalogue afterwards, whether a line was selected or the dialog cancelled.
std::string run_version_select(CatalogueKind kind);
