#pragma once
// Every candidate of the top-level directory judged for the unit just read,
// with the checks of a load: the file checks of preparation, then the
// compatibility the waiting page or the load itself checks against the
// unit's tables.
#include <cstdint>
#include <string>
#include <vector>

struct CandidateVerdict {
    std::string name;
    bool compatible = false;
    // Why not: the refusals the load would show, in order.
    std::vector<std::string> reasons;
};

struct KindVerdicts {
    std::string kind;   // as htaws-check names it: "terrain", "earlier-airport", ...
    std::string title;  // "Terrain database", ...
    std::vector<CandidateVerdict> candidates;  // newest first
};

// The kinds a unit of `generation` loads, judged against the tables left by
// the last survey (g_unit_tables, g_unit), while the boxes are recorded
// (box_record.h): each refusal a load would show is a reason.
std::vector<KindVerdicts> judge_candidates(const std::string& top_directory, int generation);
