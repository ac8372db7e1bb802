#pragma once
// The ten catalogues of loadable files: per kind, the candidates found in the
// kind's folder, newest first, and the one the technician has chosen.
#include <cstdint>
#include <string>

// In the order the setup page rebuilds them.
enum CatalogueKind : int {
    CAT_SYSTEM_SOFTWARE,
    CAT_TERRAIN,
    CAT_AIRPORT,
    CAT_OBSTACLE,
    CAT_OVERLAY,
    CAT_PARAMETER_FILES,
    CAT_HASS,
    CAT_NO_GAMMA,
    CAT_OS_IMAGES,
    CAT_BOOT_PROGRAM,
    CATALOGUE_COUNT
};

inline constexpr int max_version_length = 255;
inline constexpr int first_number_length = 4;
inline constexpr int second_number_length = 5;
inline constexpr int previous_count_none = -1;

struct Candidate {
    // The version text; for parameter files the file name.
    std::string version;
    // The two numbers of a database file name.
    std::string first_number;
    std::string second_number;
    // Creation time (nanoseconds since 1970) of the candidate's oldest file.
    int64_t created = 0;
    // One bit per part found (main, I/O, start-up program; kernel, device
    // tree, root file system; terrain data, terrain header).
    unsigned parts = 0;
};

// Rebuilds the list from `folder`; true when it holds a candidate (for HASS
// and No GAMMA: when the kind's file can be opened).
bool catalogue_scan(CatalogueKind kind, const std::string& folder);
// Scans the kind's folder setting, then settles the chosen index: the newest
// when the number of candidates changed since the last refresh, when there
// was none, or when the old choice is out of range.
void catalogue_refresh(CatalogueKind kind);
// Every catalogue, as the setup page does when it is entered. The parameter
// list keeps its choice when only the number of files changed.
void catalogue_rebuild_all();
// The next refresh chooses the newest (after the kind's folder changed).
void catalogue_forget_choice(CatalogueKind kind);

bool catalogue_found(CatalogueKind kind);
int catalogue_count(CatalogueKind kind);
int catalogue_chosen(CatalogueKind kind);
// Makes `index` the chosen one; ignored when out of range.
void catalogue_choose(CatalogueKind kind, int index);
// An empty candidate for an index out of range.
const Candidate& catalogue_candidate(CatalogueKind kind, int index);

// What the setup page shows of the chosen candidate.
std::string catalogue_display(CatalogueKind kind);
// One line of the version select list.
std::string catalogue_item_text(CatalogueKind kind, int index);
// BASE + first number + "-" + second number of a database candidate.
std::string database_name(CatalogueKind kind, const Candidate& candidate);

// The kind is ready to be prepared for a load: set by a refresh that found a
// candidate, and by preparation, which also clears it.
bool catalogue_ready(CatalogueKind kind);
void set_catalogue_ready(CatalogueKind kind, bool ready);

void catalogue_reset();
