#include "loads/database_loads.h"

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/load_preparation.h"
#include "formats/byte_order.h"
#include "formats/file_pieces.h"
#include "formats/map_file.h"
#include "formats/sectioned_file.h"
#include "formats/terrain_file.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/database_protocol.h"
#include "loads/file_body.h"
#include "output/status_shown.h"
#include "platform/files.h"
#include "platform/page_result.h"

namespace {
struct FileStep {
    DatabaseFile file;
    // The checksum pass over this file is shown with its progress.
    bool integrity_shown;
};

struct DatabaseLoad {
    DatabaseKind kind;
    CatalogueKind catalogue;
    uint64_t needed;  // bytes of free space the unit must have, margin included
    int32_t version;
    std::vector<FileStep> steps;
};

constexpr uint64_t four_gib = uint64_t(1) << 32;

int stop_cancelled(Page page) {
    page_end(page, RESULT_QUIT);
    unit_close_port();
    return 1;
}

int run_database_load(Page page, const DatabaseLoad& load) {
    const DatabaseTexts& texts = database_texts(load.kind);
    control_show(page, ID_TRANSFER_LINE, true);
    if (!check_unit_space(load.needed)) return offer_erase(page, texts);
    TransferProgress progress{page};
    const std::vector<std::string> paths = prepared_files();
    for (std::size_t i = 0; i < load.steps.size(); ++i) {
        const FileStep& step = load.steps[i];
        if (!catalogue_ready(load.catalogue)) return prompt_and_end(page, texts.no_candidate);
        FilePtr stream = i < paths.size() ? open_binary(paths[i]) : nullptr;
        if (!stream) return prompt_and_end(page, texts.open_failed);
        const int64_t length = file_size(stream.get());
        if (length < 0) return prompt_and_end(page, texts.length_unknown);
        const Candidate& candidate = catalogue_candidate(load.catalogue, catalogue_chosen(load.catalogue));
        ControlBlock block =
            database_control_block(step.file.unit_name, candidate.first_number, uint64_t(length), load.version);
        if (step.integrity_shown)
            status_show(formatted("Terrain Data File Integrity Check, %" PRIu64 " bytes\r\n", uint64_t(length)));
        uint32_t checksum = 0;
        const PassResult pass =
            checksum_file(stream.get(), uint64_t(length), checksum, step.integrity_shown ? &progress : nullptr);
        if (pass.end == PassEnd::cancelled) return stop_cancelled(page);
        if (pass.end != PassEnd::done) return prompt_and_end(page, texts.open_failed);
        seal_control_block(block, checksum);
        int result = 0;
        if (i == 0 && !database_configuration_saved(page, result)) return result;
        if (send_database_file(page, texts, step.file, stream.get(), uint64_t(length), block, progress, result) !=
            SendEnd::accepted)
            return result;
    }
    return finish_database_load(page, texts);
}

uint64_t sectioned_needed(const SectionedFileState& state, uint32_t margin) {
    return uint64_t(state.db_info_length) + state.db_data_length + margin;
}
}  // namespace

int load_terrain_database(Page page) {
    const TerrainHeader& header = g_terrain_header;
    uint64_t needed =
        uint64_t(header.t_data_length) + header.t_info_length + database_texts(DatabaseKind::terrain).margin;
    if (terrain_big_file()) needed += four_gib;
    return run_database_load(page, {DatabaseKind::terrain,
                                    CAT_TERRAIN,
                                    needed,
                                    int32_t(header.t_version),
                                    {{{"terrain_database_info.bin", "Terrain Header File Load, %" PRIu64 " bytes\r\n",
                                       "Terrain Header File Load", false},
                                      false},
                                     {{"terrain_database_data.bin", "Terrain Data File Load, %" PRIu64 " bytes\r\n",
                                       "Terrain Data File Load", true},
                                      true}}});
}

int load_nav_database(Page page) {
    const MapFileState& map = map_file_state();
    const uint64_t needed =
        uint64_t(get_be32(map.map_info + map_info_data_length_offset)) + database_texts(DatabaseKind::navigation).margin;
    return run_database_load(
        page, {DatabaseKind::navigation,
               CAT_AIRPORT,
               needed,
               int32_t(map.map_version),
               {{{"a424_database.bin", "NAV File Load, %" PRIu64 " bytes\r\n", "NAV File Load", true}, false}}});
}

int load_obstacle_database(Page page) {
    const uint64_t needed = sectioned_needed(obstacle_file_state(), database_texts(DatabaseKind::obstacle).margin);
    return run_database_load(
        page,
        {DatabaseKind::obstacle,
         CAT_OBSTACLE,
         needed,
         int32_t(obstacle_file_state().db_version),
         {{{"obstacle_database_data.bin", "OBS File Load, %" PRIu64 " bytes\r\n", "OBS File Load", true}, false}}});
}

int load_overlay_database(Page page) {
    const uint64_t needed = sectioned_needed(overlay_file_state(), database_texts(DatabaseKind::overlay).margin);
    return run_database_load(
        page,
        {DatabaseKind::overlay,
         CAT_OVERLAY,
         needed,
         int32_t(overlay_file_state().db_version),
         {{{"overlay_database_data.bin", "OVLY File Load, %" PRIu64 " bytes\r\n", "OVLY File Load", true}, false}}});
}
