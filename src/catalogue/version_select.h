#pragma once
// The logic of the version select dialog ("HTAWS Program Version Select"):
// which catalogue a loader function picks from, the lines of its list box,
// the line selected when it opens, and what the technician's answer changes.
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/loader_function.h"

// The catalogue of a function that has a list; nothing for the others.
std::optional<CatalogueKind> catalogue_of_function(LoaderFunction function);
// One line per candidate in list order; one empty line for an empty list.
std::vector<std::string> version_select_items(CatalogueKind kind);
// The line selected when the dialog opens.
int version_select_initial(CatalogueKind kind);
// "Select" hands the marked line, "Cancel" and closing hand nothing; either
// way the catalogue is refreshed. Returns the new display text.
std::string version_select_finish(CatalogueKind kind, std::optional<int> selected);
