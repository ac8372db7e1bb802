#include "loads/database_loads.h"

#include <cinttypes>
#include <cstdio>
#include <span>
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
#include "records/files_sent.h"

namespace {
constexpr uint64_t four_gib = uint64_t(1) << 32;

int stop_cancelled(Page page) {
    page_end(page, RESULT_QUIT);
    unit_close_port();
    return 1;
}

// `needed`: bytes of free space the unit must have, margin included.
int run_database_load(Page page, const DatabaseTexts& texts, uint64_t needed, int32_t version) {
    control_show(page, ID_TRANSFER_LINE, true);
    if (!check_unit_space(needed)) return offer_erase(page, texts);
    TransferProgress progress{page};
    const std::vector<std::string> paths = prepared_files();
    const std::span<const FileStep> steps = texts.steps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const FileStep& step = steps[i];
        if (!catalogue_ready(texts.catalogue)) return prompt_and_end(page, texts.no_candidate);
        FilePtr stream = i < paths.size() ? open_binary(paths[i]) : nullptr;
        if (!stream) return prompt_and_end(page, texts.open_failed);
        const int64_t length = file_size(stream.get());
        if (length < 0) return prompt_and_end(page, texts.length_unknown);
        const Candidate& candidate = catalogue_candidate(texts.catalogue, catalogue_chosen(texts.catalogue));
        ControlBlock block =
            database_control_block(step.file.unit_name, candidate.first_number, uint64_t(length), version);
        if (step.integrity_shown)
            status_show(formatted("Terrain Data File Integrity Check, %" PRIu64 " bytes\r\n", uint64_t(length)));
        uint32_t checksum = 0;
        const PassResult pass =
            checksum_file(stream.get(), uint64_t(length), checksum, step.integrity_shown ? &progress : nullptr);
        if (pass.end == PassEnd::cancelled) return stop_cancelled(page);
        if (pass.end != PassEnd::done) return prompt_and_end(page, texts.open_failed);
        seal_control_block(block, checksum);
        note_file_sent(paths[i], uint64_t(length), checksum);
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
    const DatabaseTexts& texts = database_texts(DatabaseKind::terrain);
    const TerrainHeader& header = g_terrain_header;
    uint64_t needed = uint64_t(header.t_data_length) + header.t_info_length + texts.margin;
    if (terrain_big_file()) needed += four_gib;
    return run_database_load(page, texts, needed, int32_t(header.t_version));
}

int load_nav_database(Page page) {
    const DatabaseTexts& texts = database_texts(DatabaseKind::navigation);
    const MapFileState& map = map_file_state();
    const uint64_t needed = uint64_t(get_be32(map.map_info + map_info_data_length_offset)) + texts.margin;
    return run_database_load(page, texts, needed, int32_t(map.map_version));
}

int load_obstacle_database(Page page) {
    const DatabaseTexts& texts = database_texts(DatabaseKind::obstacle);
    const SectionedFileState& state = obstacle_file_state();
    return run_database_load(page, texts, sectioned_needed(state, texts.margin), int32_t(state.db_version));
}

int load_overlay_database(Page page) {
    const DatabaseTexts& texts = database_texts(DatabaseKind::overlay);
    const SectionedFileState& state = overlay_file_state();
    return run_database_load(page, texts, sectioned_needed(state, texts.margin), int32_t(state.db_version));
}
