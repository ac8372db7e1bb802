#include "app/preflight/candidate_verdicts.h"

#include <string_view>

#include "app/database_compatibility.h"
#include "app/preflight/box_record.h"
#include "catalogue/load_preparation.h"
#include "catalogue/setup_entry.h"
#include "check/kinds.h"
#include "formats/image.h"
#include "loads/software_compatibility.h"
#include "loads/software_image_file.h"
#include "unit/identity.h"

namespace {
// The unit's side of a load, after the file checks passed: the reason the
// load would stop, or nothing.
using UnitCheck = void (*)(std::vector<std::string>& reasons, int generation);

void database_check(LoaderFunction function, int generation, std::vector<std::string>& reasons) {
    const auto check = prepared_database_check(function, generation);
    if (!check || check->compatible(check->version)) return;
    reasons.push_back(std::string(check->kind) + " compatibility Mis-match: the file's major version " +
                      std::to_string(check->version) + " is not one the unit accepts");
}

// The load compares the application image's identifier with the unit's board.
void software_check(std::vector<std::string>& reasons, int) {
    LoadImageFile image;
    if (prepared_files().empty() || open_load_image_file(prepared_files()[0], image) != ImageFileOpen::opened) return;
    if (software_suits_hardware(g_unit.unit_hardware_id, image.load_image_header.data())) return;
    reasons.emplace_back("Incompatible Versions.");
    reasons.push_back(hardware_and_software_text(g_unit.unit_hardware_id, image.load_image_header.data()));
}

template <LoaderFunction function>
void database(std::vector<std::string>& reasons, int generation) {
    database_check(function, generation, reasons);
}

void earlier_airport(std::vector<std::string>& reasons, int generation) {
    database_check(LF_AIRPORT, generation, reasons);
    if (const std::string overflow = earlier_map_overflow(); !overflow.empty()) reasons.push_back(overflow);
}

void file_only(std::vector<std::string>&, int) {}

struct UnitKind {
    std::string_view check_kind;
    bool current;  // loaded into units of the current generation, else into earlier ones
    UnitCheck unit_check;
};

constexpr UnitKind unit_kinds[] = {
    {"system", true, software_check},
    {"os", true, file_only},
    {"boot", true, file_only},
    {"terrain", true, database<LF_TERRAIN>},
    {"airport", true, database<LF_AIRPORT>},
    {"obstacle", true, database<LF_OBSTACLE>},
    {"overlay", true, database<LF_OVERLAY>},
    {"parameter", true, file_only},
    {"earlier-hex", false, file_only},
    {"earlier-airport", false, earlier_airport},
    {"earlier-terrain", false, database<LF_TERRAIN>},
    {"parameter", false, file_only},
    {"hass", false, file_only},
    {"nogamma", false, file_only},
};

CandidateVerdict judge(const CheckKind& kind, const UnitKind& unit_kind, const FoundFiles& found, int index,
                       int generation) {
    CandidateVerdict verdict{found.names[index], false, {}};
    take_recorded_boxes();
    const bool passed = check_found_candidate(kind, found, index);
    verdict.reasons = take_recorded_boxes();
    if (passed) unit_kind.unit_check(verdict.reasons, generation);
    verdict.compatible = passed && verdict.reasons.empty();
    return verdict;
}
}  // namespace

std::vector<KindVerdicts> judge_candidates(const std::string& top_directory, int generation) {
    const bool current = generation == current_generation;
    catalogue_module_reset();
    catalogue_read_only_entry(top_directory);
    std::vector<KindVerdicts> kinds;
    for (const UnitKind& unit_kind : unit_kinds) {
        const CheckKind* kind = find_check_kind(unit_kind.check_kind);
        if (unit_kind.current != current || !kind) continue;
        KindVerdicts verdicts{std::string(kind->name), std::string(kind->title), {}};
        const FoundFiles found = kind->find(top_directory);
        for (int i = 0; i < static_cast<int>(found.names.size()); ++i)
            verdicts.candidates.push_back(judge(*kind, unit_kind, found, i, generation));
        kinds.push_back(std::move(verdicts));
    }
    // The open image keeps its file open; nothing is left open behind the judging.
    image_reset();
    catalogue_module_reset();
    return kinds;
}
