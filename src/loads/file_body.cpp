#include "loads/file_body.h"

#include <algorithm>
#include <cinttypes>
#include <string>
#include <string_view>

#include "formats/crc.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {
alignas(4096) uint8_t g_piece[body_piece_size];
// now_ms time at which the last body sent stopped short; 0: none.
uint64_t g_body_cut_at = 0;

// Reads the next piece; 0 at the end of the file, -1 when the read failed.
int64_t read_piece(std::FILE* file) {
    const std::size_t got = std::fread(g_piece, 1, body_piece_size, file);
    if (got == 0 && std::ferror(file)) return -1;
    return static_cast<int64_t>(got);
}

// What the unit said during the last write (each write starts its own reply text).
std::string_view last_reply_text() {
    const auto begin = g_link.block_reply.begin();
    const auto end = std::find(begin, begin + g_link.block_reply_fill, uint8_t{0});
    return {reinterpret_cast<const char*>(g_link.block_reply.data()), std::size_t(end - begin)};
}
// A unit that held the sender near the end answers as soon as it has the last
// byte, while that piece's write still waits for its ACK. That answer, the
// last line of the piece's text when it begins "OK", is left for the line
// reader that waits for it; text the unit sent during the body (an "ERR") is
// judged as such, not as the answer.
void keep_answer_for_reading() {
    const std::string_view text(reinterpret_cast<const char*>(g_link.block_reply.data()), g_link.block_reply_fill);
    const std::size_t end = text.find_last_not_of("\r\n");
    if (end == std::string_view::npos) return;
    const std::size_t line = text.find_last_of("\r\n", end);
    const std::size_t start = line == std::string_view::npos ? 0 : line + 1;
    if (text.substr(start).starts_with("OK")) keep_block_reply_for_reading(start);
}
}  // namespace

PassResult send_file_body(std::FILE* file, uint64_t length, TransferProgress& progress, const BodyPacing& pacing) {
    PassResult result;
    UnitTextWatch watch;
    for (;;) {
        progress.show("Transferring", result.bytes, length);
        const int64_t got = read_piece(file);
        if (got < 0) {
            result.end = PassEnd::read_failed;
            break;
        }
        if (got == 0) break;
        const bool written = write_multi_byte(g_piece, static_cast<std::size_t>(got));
        watch.add(last_reply_text());
        result.unit_error = watch.seen();
        if (!written) {
            result.end = g_commands.abort_requested ? PassEnd::cancelled : PassEnd::write_failed;
            break;
        }
        result.bytes += static_cast<uint64_t>(got);
        if (pacing.pause_after_piece_ms > 0) wait_responsive(pacing.pause_after_piece_ms);
        if (g_commands.abort_requested) {
            result.end = PassEnd::cancelled;
            break;
        }
        if (pacing.stop_at_unit_error && result.unit_error) {
            result.end = PassEnd::unit_error;
            break;
        }
    }
    if (result.end == PassEnd::done) keep_answer_for_reading();
    g_body_cut_at = result.end == PassEnd::done ? 0 : std::max<uint64_t>(now_ms(), 1);
    return result;
}

uint32_t body_drop_wait_ms() {
    if (g_body_cut_at == 0) return 0;
    const uint64_t since = now_ms() - std::min(now_ms(), g_body_cut_at);
    return since >= unit_body_drop_ms ? 0 : uint32_t(unit_body_drop_ms - since);
}

void body_drop_forget() { g_body_cut_at = 0; }

void show_body_end(const PassResult& body, uint64_t length, bool announce_wait) {
    if (body.end == PassEnd::done) {
        if (!announce_wait) return;
        status_show("Transfer complete\r\n");
        status_show("Waiting for response from unit...\r\n");
        return;
    }
    const char* why = body.end == PassEnd::cancelled      ? "cancelled"
                      : body.end == PassEnd::read_failed  ? "stopped (the file could not be read)"
                      : body.end == PassEnd::unit_error   ? "stopped (the unit reported an error)"
                                                          : "stopped (the link to the unit failed)";
    status_show(formatted("Transfer %s after %" PRIu64 " of %" PRIu64 " bytes: this file was not loaded.\r\n", why,
                          body.bytes, length));
}

PassResult checksum_file(std::FILE* file, uint64_t length, uint32_t& checksum, TransferProgress* progress) {
    PassResult result;
    uint32_t reg = 0;
    crc_begin(reg);
    if (!file_seek(file, 0)) result.end = PassEnd::read_failed;
    while (result.end == PassEnd::done) {
        const int64_t got = read_piece(file);
        if (got < 0) result.end = PassEnd::read_failed;
        if (got <= 0) break;
        crc_add_span(reg, g_piece, static_cast<std::size_t>(got));
        result.bytes += static_cast<uint64_t>(got);
        if (progress) progress->show("Checking integrity on", result.bytes, length);
        if (g_commands.abort_requested) result.end = PassEnd::cancelled;
    }
    checksum = crc_end(reg);
    if (!file_seek(file, 0) && result.end == PassEnd::done) result.end = PassEnd::read_failed;
    return result;
}
