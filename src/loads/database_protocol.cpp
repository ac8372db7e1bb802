#include "loads/database_protocol.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstring>

#include "catalogue/parameter_file.h"
#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "loads/erase_dialog.h"
#include "loads/file_body.h"
#include "output/report.h"
#include "output/status_shown.h"
#include "platform/files.h"
#include "unit/configuration.h"
#include "platform/page_result.h"
#include "loads/reply_questions.h"

namespace {
constexpr uint64_t space_reserve = 0xA00000;
constexpr uint32_t command_settle_ms = 1500;
constexpr uint32_t reply_limit_ms = 5000;
constexpr const char* returning_to_setup = "Returning to Setup Dialog\r\n";

int end_page(Page page, int page_result, int load_result) {
    page_end(page, page_result);
    return load_result;
}

// The technician's Cancel while the unit was being waited for.
bool cancelled(Page page, int& result) {
    if (!g_commands.abort_requested) return false;
    page_end(page, RESULT_QUIT);
    unit_close_port();
    result = 1;
    return true;
}

int read_reply(uint32_t settle_ms, uint32_t limit_ms) {
    static_cast<void>(wait_responsive(settle_ms));
    return unit_read_line(g_commands.unit_reply.data(), g_commands.unit_reply.size(), limit_ms);
}
}  // namespace

std::optional<uint32_t> parse_hex8(std::string_view text) {
    if (text.size() < 8) return std::nullopt;
    uint32_t value = 0;
    for (const char c : text.substr(0, 8)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

std::optional<DfReply> parse_df_reply(std::string_view line) {
    if (line.size() < 31 || line.substr(0, 5) != "OK : ") return std::nullopt;
    const auto a = parse_hex8(line.substr(5));
    const auto b = parse_hex8(line.substr(14));
    const auto c = parse_hex8(line.substr(23));
    if (!a || !b || !c) return std::nullopt;
    return DfReply{*a, *b, *c};
}

bool check_unit_space(uint64_t needed) {
    if (!unit_send_command("DF\r")) return false;
    const int got = read_reply(command_settle_ms, reply_limit_ms);
    // The erase offer that follows says only that there is no room: the line
    // before it says why the unit is taken to have none.
    if (got < 0) {
        status_show_failure_detail("The unit did not answer \"DF\" (its free space).");
        return false;
    }
    const auto reply = parse_df_reply(std::string_view(g_commands.unit_reply.data(), std::size_t(got)));
    if (!reply) {
        status_show_failure_detail(
            formatted("Unit sent '%s' to \"DF\" (its free space).", g_commands.unit_reply.data()));
        return false;
    }
    // Both sides fit in 64 bits: A × C is below 2^64, needed below 2^34.
    const uint64_t free_bytes = uint64_t(reply->a) * reply->c;
    if (free_bytes > needed + space_reserve) return true;
    status_show_failure_detail(formatted("The unit has %" PRIu64 " bytes free; the load needs more than %" PRIu64 ".",
                                         free_bytes, needed + space_reserve));
    return false;
}

bool delete_unit_database(int delete_number) {
    if (!unit_send_command("DDB %d\r", delete_number)) return false;
    const int got = read_reply(command_settle_ms, reply_limit_ms);
    return got >= 5 && std::strncmp(g_commands.unit_reply.data(), "OK : ", 5) == 0;
}

int offer_erase(Page page, const DatabaseTexts& texts) {
    const int reset_mode = offer_erase_dialog(texts.kind);
    if (reset_mode < 0) {
        status_show(texts.cancelled);
        status_show(returning_to_setup);
        static_cast<void>(wait_responsive(3000));
        return end_page(page, RESULT_BACK, 0);
    }
    if (!delete_unit_database(texts.delete_number)) {
        status_show(texts.delete_failed);
        status_show(returning_to_setup);
        static_cast<void>(wait_responsive(3000));
        return end_page(page, RESULT_BACK, 0);
    }
    status_show(texts.erase_sent);
    status_show("HTAWS UNIT WILL RESET NOW AND UPLOADER WILL EXIT!!!\r\n");
    static_cast<void>(wait_responsive(3000));
    // A reset that cannot be written leaves the unit as it is; the program ends
    // either way.
    static_cast<void>(unit_send_reset(reset_mode));
    static_cast<void>(wait_responsive(2000));
    return end_page(page, RESULT_QUIT, 1);
}

ControlBlock database_control_block(const char* unit_name, const std::string& candidate_name, uint64_t length,
                                    int32_t version) {
    ControlBlock block{};
    put_be32(&block[0], 1);
    put_be32(&block[4], 2);
    std::strncpy(reinterpret_cast<char*>(&block[8]), unit_name, 31);
    std::memcpy(&block[40], candidate_name.data(), std::min<std::size_t>(candidate_name.size(), 31));
    put_be32(&block[72], 8);
    put_be32(&block[80], uint32_t(length));
    put_be16(&block[84], uint16_t(version / 1000));
    put_be16(&block[86], uint16_t(version % 1000));
    put_be32(&block[92], 0xFFFFFFFF);
    return block;
}

void seal_control_block(ControlBlock& block, uint32_t file_checksum) {
    put_be32(&block[76], file_checksum);
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, block.data(), 252);
    put_be32(&block[252], crc_end(reg));
}

int prompt_and_end(Page page, const char* text) {
    return report_error(text) ? end_page(page, RESULT_BACK, 0) : end_page(page, RESULT_QUIT, 1);
}

bool database_configuration_saved(Page page, int& result) {
    const int read = read_configuration(page, parameter_file_path());
    if (cancelled(page, result)) return false;
    if (read == 0) return true;
    unit_close_port();
    result = prompt_and_end(page, "Problem reading configuration\nTry again?");
    return false;
}

SendEnd send_database_file(Page page, const DatabaseTexts& texts, const DatabaseFile& file, std::FILE* stream,
                           uint64_t length, const ControlBlock& block, TransferProgress& progress, int& result) {
    result = 0;
    const ModeOpening opening = enter_load_mode(LOAD_BINARY, block.data());
    if (opening.end == ModeEnd::not_answered) {
        ask_after_mode_command(page, opening);
        return SendEnd::stopped;
    }
    if (opening.end != ModeEnd::ready) {
        page_end(page, RESULT_BACK);
        return SendEnd::stopped;
    }
    int got = read_reply(1000, reply_limit_ms);
    if (cancelled(page, result)) return SendEnd::stopped;
    if (!reply_accepted(page, g_commands.unit_reply.data(), got, "OK", "Unit replied with an error.\nTry again?"))
        return SendEnd::stopped;
    status_show(formatted(file.size_line, length));
    show_operation_title(page, file.title);
    if (cancelled(page, result)) return SendEnd::stopped;
    if (!file_seek(stream, 0)) {
        unit_close_port();
        result = prompt_and_end(page, texts.length_unknown);
        return SendEnd::stopped;
    }
    // A failed write or a Cancel ends the body early; the unit's reply below
    // then decides, as for a body the unit did not take.
    const PassResult body = send_file_body(stream, length, progress);
    show_body_end(body, length, file.shows_completion);
    got = read_reply(2000, 20000);
    if (cancelled(page, result)) return SendEnd::stopped;
    if (!reply_accepted(page, g_commands.unit_reply.data(), got, "OK", texts.verdict_question)) return SendEnd::stopped;
    if (body.end == PassEnd::read_failed) {
        unit_close_port();
        result = prompt_and_end(page, texts.open_failed);
        return SendEnd::stopped;
    }
    if (body.unit_error) {
        const bool yes = report_error("ERROR transmitting data.") != 0;
        if (texts.honours_error_answer && yes) {
            page_end(page, RESULT_BACK);
            return SendEnd::stopped;
        }
        page_end(page, RESULT_QUIT);
        g_commands.abort_requested = true;
        result = 1;
        return SendEnd::stopped;
    }
    return SendEnd::accepted;
}

int finish_database_load(Page page, const DatabaseTexts& texts) {
    status_show(texts.success);
    status_show("** When finished loading all files\r\n");
    status_show(texts.reset_line);
    status_show(texts.returning);
    show_operation_title(page, texts.completion_title);
    unit_close_port();
    static_cast<void>(wait_responsive(3000));
    return end_page(page, RESULT_BACK, 0);
}
