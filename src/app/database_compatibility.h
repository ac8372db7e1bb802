#pragma once
// The compatibility check a database load meets before its transfer: the
// unit's mask for the kind against the version of the file prepared for it.
// The waiting page and the preflight both judge a file by it.
#include <optional>
#include <string>

#include "catalogue/loader_function.h"

struct DatabaseCheck {
    int (*compatible)(int version);  // logs the mask and the version
    const char* kind;                // "Map", "Terrain", "Obstacle" or "Overlay"
    int version;                     // of the prepared (or, earlier generation, checked) file
};

// Nothing for a function without a check on a unit of this generation.
std::optional<DatabaseCheck> prepared_database_check(LoaderFunction function, int generation);

// Earlier generation: the refusal of the checked airport file when it is
// larger than the map memory the P table leaves; empty when it fits.
std::string earlier_map_overflow();
