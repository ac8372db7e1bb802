#pragma once
// The paths of the files of a candidate, built from the kind's folder and the
// pieces of the pattern table around the candidate's keys.
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

struct LoadFiles {
    // In checking order: main, I/O and start-up program; kernel, device tree
    // and root file system image; boot program; terrain header and data file;
    // the one database file.
    std::vector<std::string> paths;
    // The refusal for a path beyond the length bound; empty when all fit.
    std::string too_long;
};

LoadFiles load_files(CatalogueKind kind, const Candidate& candidate);

// An update payload companion of system software version `version`:
// `prefix` ("update_execs_" or "update_data_") + version + EXEC_HHF_SUFX.
LoadFiles companion_file(const std::string& prefix, const std::string& version);
