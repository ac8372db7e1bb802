#include "catalogue/catalogue.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "catalogue/candidate_names.h"
#include "catalogue/file_listing.h"
#include "catalogue/unit_names.h"
#include "platform/paths.h"

namespace {
struct CatalogueList {
    std::vector<Candidate> candidates;
    bool found = false;
    int chosen = 0;
    int previous_count = previous_count_none;
    bool ready = false;
};

struct CatalogueState {
    std::array<CatalogueList, CATALOGUE_COUNT> lists;
};
CatalogueState g_catalogue;
const Candidate no_candidate;

bool file_opens(const std::string& folder, const std::string& name) {
    if (folder.empty()) return false;
    const auto path = path_join(folder, name);
    if (!path) return false;
    std::FILE* f = std::fopen(path->c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

struct Keyed {
    Candidate candidate;
    std::string key;
    bool preferred = false;
};

// Groups the parts of each candidate, keeps the complete ones, newest first.
// The parameter list puts this unit's files before all others.
std::vector<Candidate> collect(CatalogueKind kind, const KindRules& rules, const std::string& folder) {
    std::vector<Keyed> found;
    std::unordered_map<std::string, std::size_t> index;
    for (int l = 0; l < rules.listing_count; ++l) {
        const Listing& listing = rules.listings[l];
        for (const FileEntry& entry : list_catalogue_files(folder, pattern_value(listing.glob))) {
            auto match = listing.parse(entry.name, listing);
            if (!match) continue;
            const int64_t created = creation_stamp(entry);
            const auto [at, added] = index.try_emplace(match->key, found.size());
            if (added)
                found.push_back({{std::move(match->version), std::move(match->first_number),
                                  std::move(match->second_number), created, 0},
                                 std::move(match->key)});
            Candidate& candidate = found[at->second].candidate;
            candidate.created = std::min(candidate.created, created);
            candidate.parts |= match->part;
        }
    }
    std::erase_if(found, [&](const Keyed& k) { return k.candidate.parts != rules.required_parts; });
    if (kind == CAT_PARAMETER_FILES)
        for (Keyed& k : found) k.preferred = name_holds_serial_text(k.key);
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        if (a.preferred != b.preferred) return a.preferred;
        return listed_before(a.candidate.created, a.key, b.candidate.created, b.key);
    });
    std::vector<Candidate> candidates;
    candidates.reserve(found.size());
    for (Keyed& k : found) candidates.push_back(std::move(k.candidate));
    return candidates;
}

void settle_choice(CatalogueList& list, bool keep_on_count_change) {
    if (!list.found) return;
    const int count = static_cast<int>(list.candidates.size());
    if (list.previous_count == previous_count_none || (!keep_on_count_change && count != list.previous_count) ||
        list.chosen >= count)
        list.chosen = 0;
    list.previous_count = count;
}

void rebuild(CatalogueKind kind, bool keep_on_count_change) {
    CatalogueList& list = g_catalogue.lists[kind];
    catalogue_scan(kind, upload_setting(kind_rules(kind).folder));
    settle_choice(list, keep_on_count_change);
    list.ready = list.found;
}
}  // namespace

bool catalogue_scan(CatalogueKind kind, const std::string& folder) {
    CatalogueList& list = g_catalogue.lists[kind];
    const KindRules& rules = kind_rules(kind);
    if (rules.form == KeyForm::presence) {
        list.candidates.clear();
        list.found = file_opens(folder, pattern_value(rules.listings[0].glob));
        return list.found;
    }
    list.candidates = collect(kind, rules, folder);
    list.found = !list.candidates.empty();
    if (!list.found) {
        list.chosen = 0;
        list.previous_count = previous_count_none;
    }
    return list.found;
}

void catalogue_refresh(CatalogueKind kind) { rebuild(kind, false); }

void catalogue_rebuild_all() {
    for (int kind = 0; kind < CATALOGUE_COUNT; ++kind)
        rebuild(static_cast<CatalogueKind>(kind), kind == CAT_PARAMETER_FILES);
}

void catalogue_forget_choice(CatalogueKind kind) { g_catalogue.lists[kind].previous_count = previous_count_none; }

bool catalogue_found(CatalogueKind kind) { return g_catalogue.lists[kind].found; }

int catalogue_count(CatalogueKind kind) { return static_cast<int>(g_catalogue.lists[kind].candidates.size()); }

int catalogue_chosen(CatalogueKind kind) { return g_catalogue.lists[kind].chosen; }

void catalogue_choose(CatalogueKind kind, int index) {
    if (index >= 0 && index < catalogue_count(kind)) g_catalogue.lists[kind].chosen = index;
}

const Candidate& catalogue_candidate(CatalogueKind kind, int index) {
    if (index < 0 || index >= catalogue_count(kind)) return no_candidate;
    return g_catalogue.lists[kind].candidates[index];
}

std::string database_name(CatalogueKind kind, const Candidate& candidate) {
    return pattern_value(kind_rules(kind).listings[0].base) + candidate.first_number + "-" + candidate.second_number;
}

std::string catalogue_item_text(CatalogueKind kind, int index) {
    if (index < 0 || index >= catalogue_count(kind)) return {};
    const Candidate& candidate = catalogue_candidate(kind, index);
    return kind_rules(kind).form == KeyForm::numbers ? database_name(kind, candidate) : candidate.version;
}

std::string catalogue_display(CatalogueKind kind) {
    const KindRules& rules = kind_rules(kind);
    if (rules.form == KeyForm::presence)
        return catalogue_found(kind) ? pattern_value(rules.listings[0].glob) : std::string();
    return catalogue_item_text(kind, catalogue_chosen(kind));
}

bool catalogue_ready(CatalogueKind kind) { return g_catalogue.lists[kind].ready; }

void set_catalogue_ready(CatalogueKind kind, bool ready) { g_catalogue.lists[kind].ready = ready; }

void catalogue_reset() { g_catalogue = CatalogueState{}; }
