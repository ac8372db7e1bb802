#pragma once
// What the four database loads share: the unit's free space and delete
// commands, the out-of-space offer, the control block describing a file, the
// sending of one file and the ending. The kinds differ only by the data in
// their DatabaseTexts row.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "loads/database_kind.h"
#include "output/transfer_display.h"
#include "platform/pages.h"

// One file as the unit is told of it and as it is shown.
struct DatabaseFile {
    const char* unit_name;
    const char* size_line;  // printf format of the 64-bit length
    const char* title;
    bool shows_completion;  // "Transfer complete" and "Waiting for response"
};

// One file of a load, in the order the unit takes them.
struct FileStep {
    DatabaseFile file;
    // The checksum pass over this file is shown with its progress.
    bool integrity_shown;
};

// Everything that sets one kind of database load apart.
struct DatabaseTexts {
    DatabaseKind kind;
    CatalogueKind catalogue;
    int delete_number;
    uint32_t margin;
    // The files sent, in order; unused entries have no unit name.
    std::array<FileStep, 2> files;
    const char* erase_sent;
    const char* delete_failed;
    const char* cancelled;
    const char* no_candidate;
    const char* open_failed;
    const char* length_unknown;
    const char* success;
    const char* reset_line;
    const char* returning;
    const char* completion_title;
    const char* verdict_question;
    // After "ERROR transmitting data.": Yes goes back to the setup page.
    bool honours_error_answer;

    std::span<const FileStep> steps() const {
        const auto end = std::find_if(files.begin(), files.end(), [](const FileStep& f) { return !f.file.unit_name; });
        return {files.begin(), end};
    }
};
const DatabaseTexts& database_texts(DatabaseKind kind);

std::optional<uint32_t> parse_hex8(std::string_view text);
struct DfReply {
    uint32_t a = 0, b = 0, c = 0;
};
std::optional<DfReply> parse_df_reply(std::string_view line);
// The unit has more than needed + 10 MiB free; false also when it did not
// answer.
bool check_unit_space(uint64_t needed);
bool delete_unit_database(int delete_number);
// The out-of-space path; always ends the page. The load's result.
int offer_erase(Page page, const DatabaseTexts& texts);

using ControlBlock = std::array<uint8_t, 256>;
// Fills every field but the whole-file checksum and hdr_crc.
ControlBlock database_control_block(const char* unit_name, const std::string& candidate_name, uint64_t length,
                                    int32_t version);
// Stores the whole-file checksum and the block's own checksum.
void seal_control_block(ControlBlock& block, uint32_t file_checksum);

// The prompt of a load: Yes back to the setup page (load result 0), No ends
// the program (1).
int prompt_and_end(Page page, const char* text);
// The configuration backup before the first file; false when the page was ended
// (result in `result`).
bool database_configuration_saved(Page page, int& result);

enum class SendEnd { accepted, stopped };
// Sends the open file (at its start) of `length` bytes after its control
// block. When stopped the page has been ended and `result` is the load's.
SendEnd send_database_file(Page page, const DatabaseTexts& texts, const DatabaseFile& file, std::FILE* stream,
                           uint64_t length, const ControlBlock& block, TransferProgress& progress, int& result);
int finish_database_load(Page page, const DatabaseTexts& texts);
