#include "app/batch/batch_report.h"

#include <cstdio>
#include <optional>

#include "app/batch/batch_options.h"
#include "app/batch/batch_outcome.h"
#include "catalogue/load_preparation.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"
#include "output/json_string.h"
#include "records/record_json.h"
#include "setup/setup_page.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
struct FileFacts {
    uint64_t size;
    uint32_t checksum;
};

// The load checksum over the whole file.
std::optional<FileFacts> facts_of(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    const int64_t length = file_bytes_left(f);
    uint32_t reg = 0;
    crc_begin(reg);
    const bool read = length >= 0 && crc_read(f, uint64_t(length), reg);
    std::fclose(f);
    if (!read) return std::nullopt;
    return FileFacts{uint64_t(length), crc_end(reg)};
}

void write_file(const BatchFile& file, std::ostream& out) {
    out << "{\"path\": ";
    write_json_string(file.path, out);
    out << ", \"direction\": \"" << (file.sent ? "sent" : "received") << "\", ";
    if (const auto facts = facts_of(file.path)) {
        char checksum[16];
        std::snprintf(checksum, sizeof checksum, "%08X", facts->checksum);
        out << "\"size\": " << facts->size << ", \"checksum\": \"" << checksum << "\"}";
    } else {
        out << "\"size\": null, \"checksum\": null}";
    }
}

void write_unit(std::ostream& out) {
    const std::string model = detect_model(DETECT_REMEMBERED);
    if (model.empty()) {
        out << "null";
        return;
    }
    out << "{\"model\": ";
    write_json_string(model, out);
    out << ", \"serial\": ";
    if (const uint32_t serial = unit_number_or_none(); serial != unit_number_none) {
        write_json_string(unit_number_text(serial), out);
    } else {
        out << "null";
    }
    out << ", \"generation\": " << g_unit.unit_generation << "}";
}
}  // namespace

std::vector<BatchFile> batch_files(LoaderFunction function) {
    switch (function) {
        case LF_READ_CONFIG: return {{configuration_file_path(), false}};
        case LF_WRITE_CONFIG:
        case LF_HASS_CONFIG:
        case LF_NO_GAMMA_CONFIG: return {{configuration_file_path(), true}};
        case LF_DOWNLOAD_RECORDING:
        case LF_ERASE_RECORDING:
        case LF_BLOCK_TEST: return {};
        default: break;
    }
    std::vector<BatchFile> files;
    for (const std::string& path : prepared_files()) files.push_back({path, true});
    return files;
}

void write_batch_json(LoaderFunction function, const std::vector<BatchFile>& files, std::ostream& out) {
    out << "{\"function\": ";
    write_json_string(batch_function_name(function), out);
    out << ", \"outcome\": \"" << (batch_succeeded() ? "completed" : "failed") << "\", \"message\": ";
    write_json_string(batch_final_message(), out);
    out << ", \"unit\": ";
    write_unit(out);
    out << ", \"files\": [";
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) out << ", ";
        write_file(files[i], out);
    }
    out << "]}\n";
}
