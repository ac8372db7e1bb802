#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "catalogue/upload_settings.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "loads/recordings.h"
#include "output/status_shown.h"
#include "output/transfer_display.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "unit/identity.h"
#include "platform/page_result.h"

namespace {
constexpr uint32_t piece_limit = 8192;
// Recording requests left unanswered one after another before the download
// gives the unit up.
constexpr int unanswered_limit = 3;

// The unit number read as eight binary-coded decimal digits; a group above 9
// adds its value at its place. 0 without a unit number.
uint32_t serial_digits() {
    uint32_t number = unit_number_or_none();
    if (number == unit_number_none) return 0;
    uint32_t digits = 0;
    for (int shift = 28; shift >= 0; shift -= 4) digits = digits * 10 + ((number >> shift) & 0xF);
    return digits;
}

bool same_content(const std::string& a, const std::string& b) {
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa && fb;
    while (same) {
        int ca = std::fgetc(fa), cb = std::fgetc(fb);
        if (ca != cb) same = false;
        if (ca == EOF) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

// Moves the downloaded temporary file to `name`, or to the first of
// "<stem>_2.dat", "<stem>_3.dat", ... that is free, so an earlier recording
// is never overwritten; a file already holding the same bytes is kept and the
// temporary one removed. Nothing when the rename fails (`part` keeps the bytes).
std::optional<std::string> keep_recording(const std::string& part, const std::string& name) {
    std::string stem = name.substr(0, name.size() - 4);
    for (int n = 1;; ++n) {
        std::string candidate = n == 1 ? name : stem + "_" + std::to_string(n) + ".dat";
        if (!file_exists(candidate)) {
            if (std::rename(part.c_str(), candidate.c_str()) != 0) return std::nullopt;
            return candidate;
        }
        if (same_content(part, candidate)) {
            std::remove(part.c_str());
            return candidate;
        }
    }
}

enum class RecordingEnd { complete, bad_packet, write_failed, link_lost };

struct Received {
    RecordingEnd end = RecordingEnd::complete;
    uint64_t bytes = 0;      // every byte the unit delivered for this recording
    uint64_t unchecked = 0;  // of them, the bytes of the packet that failed
};

// Reads the packets of the selected recording into `file` and acknowledges
// them; `got` counts as they come, so a caller that is unwound still knows
// what the file holds. A failed packet or a failed write is told to the unit
// with "NO" and reported at once; a lost link is left to the caller.
void receive_recording(Page page, std::FILE* file, const std::string& part, int index, Received& got) {
    static uint8_t piece[piece_limit];
    TransferProgress progress{page};
    for (;;) {
        uint64_t total = 0;
        uint64_t packet_bytes = 0;
        int type = 0;
        for (int calls = 0;; ++calls) {
            uint32_t count = 0;
            const int result = read_htaws_packet(piece, total, count, piece_limit, calls);
            if (calls == 0 && result >= 0) {
                type = result;
                if (type != 'X')
                    status_show(formatted("File index %2d : length = %" PRIu64 " bytes\r\n", index, total));
            }
            // The unit names no recording's length, only each packet's: the
            // bar runs over the packet being read.
            if (result >= 0) progress.show("Receiving", packet_bytes, total);
            // Bytes delivered by a failing call are kept and counted too: the
            // unit is told every byte it sent, and the recording is kept apart.
            if (count > 0) {
                if (std::fwrite(piece, 1, count, file) != count) {
                    const int err = errno;
                    if (!unit_send_command("NO %08" PRIu64 "\r", got.bytes + count)) {
                        got.end = RecordingEnd::link_lost;
                        return;
                    }
                    message_box("Cannot write " + part + ": " + system_error_text(err), "Error", BoxButtons::ok,
                                BoxIcon::error);
                    got.end = RecordingEnd::write_failed;
                    return;
                }
                got.bytes += count;
                packet_bytes += count;
            }
            if (result < 0) {
                got.unchecked = packet_bytes;
                if (!unit_port_usable() || !unit_send_command("NO %08" PRIu64 "\r", got.bytes)) {
                    got.end = RecordingEnd::link_lost;
                    return;
                }
                message_box("Read Packet Error, Exiting", "Error", BoxButtons::ok, BoxIcon::none);
                got.end = RecordingEnd::bad_packet;
                return;
            }
            if (count == 0) break;
        }
        if (type == 'X') {
            (void)unit_send_command("OK end\r");
            return;
        }
        wait_responsive(50);
        if (!unit_send_command("OK %08" PRIu64 "\r", got.bytes)) {
            got.end = RecordingEnd::link_lost;
            return;
        }
    }
}

// Gives the downloaded bytes their recording name; a recording that did not
// reach its end goes to "<stem>_partial.dat" so that it never passes for a
// whole one, and an empty one is removed. The text names where the bytes are.
std::string store_recording(const std::string& part, const std::string& path, const Received& got, int index) {
    const bool whole = got.end == RecordingEnd::complete;
    if (!whole && got.bytes == 0) {
        std::remove(part.c_str());
        return formatted("Recording %d is incomplete and nothing of it was kept.\r\n", index);
    }
    const std::string name = whole ? path : path.substr(0, path.size() - 4) + "_partial.dat";
    const std::optional<std::string> kept = keep_recording(part, name);
    if (!kept) {
        const std::string why = system_error_text(errno);
        message_box("Cannot rename " + part + " to " + name + ": " + why + "\nThe recording's bytes are in " + part,
                    "Error", BoxButtons::ok, BoxIcon::error);
        return formatted("Recording %d kept in ", index) + part + "\r\n";
    }
    if (whole) return {};
    std::string text = formatted("Recording %d is incomplete: %" PRIu64 " bytes kept in ", index, got.bytes) + *kept;
    if (got.unchecked > 0) text += formatted("; its last %" PRIu64 " bytes are of a packet that failed", got.unchecked);
    return text + "\r\n";
}

// Leaves for the setup page the way a download with nothing to fetch does.
int return_to_setup(Page page) {
    status_show("Returning to Setup dialog momentarily.\r\n");
    wait_responsive(3000);
    page_end(page, RESULT_BACK);
    return 0;
}

// A recording file that cannot be created stops the download at once; the
// page stays open with the reason.
int cannot_create(const std::string& why, int index) {
    message_box(why, "Error", BoxButtons::ok, BoxIcon::error);
    status_show(formatted("Recording %d could not be stored; the download stopped.\r\n", index));
    return 0;
}
}  // namespace

int download_recordings(Page page) {
    char reply[256] = {};
    int got = unit_send_command("RC\r\n") ? unit_read_line(reply, sizeof reply, 700) : -1;
    if (got < 0 || std::strstr(reply, "OK") == nullptr) {
        status_show("The unit did not report its recording count; nothing was downloaded.\r\n");
        return return_to_setup(page);
    }
    int count = 0;
    for (const char* p = reply; *p >= '0' && *p <= '9' && count < 100000; ++p) count = count * 10 + (*p - '0');
    if (count == 0) {
        status_show("NO FLIGHT DATA RECORDINGS FOUND.\r\n");
        return return_to_setup(page);
    }
    status_show(formatted("Retrieving %2d flight data recording files.\r\n", count));
    uint32_t serial = serial_digits();
    std::time_t now = std::time(nullptr);
    std::tm date = *std::localtime(&now);
    const std::string& folder = upload_setting(FDR_DIR);
    int not_whole = 0;  // recordings skipped or kept partial
    int unanswered_in_a_row = 0;
    for (int index = count - 1; index >= 0; --index) {
        char name[64];
        std::snprintf(name, sizeof name, "REC_%08" PRIu32 "_%04d_%02d_%02d_%02d.dat", serial, date.tm_year + 1900,
                      date.tm_mon + 1, date.tm_mday, index);
        std::optional<std::string> joined = path_join(folder, std::string(name) + ".part");
        if (!joined) return cannot_create(path_too_long_message(folder), index);
        const std::string& part = *joined;
        const std::string path = part.substr(0, part.size() - 5);
        std::FILE* file = std::fopen(part.c_str(), "wb");
        if (!file) return cannot_create("Cannot create " + part + ": " + system_error_text(errno), index);
        // Each piece goes to the disk as it comes, so a failed write shows at once.
        std::setvbuf(file, nullptr, _IONBF, 0);
        Received received;
        bool sent = false, selected = false;
        int answer = -1;
        try {
            sent = unit_send_command("H %x\r\n", unsigned(index));
            answer = sent ? unit_read_line(reply, sizeof reply, 700) : -1;
            selected = answer > 0 && std::strncmp(reply, "OK", 2) == 0;
            if (selected) receive_recording(page, file, part, index, received);
            else received.end = RecordingEnd::link_lost;
        } catch (...) {
            // Whatever stopped the program here, the bytes that came are
            // named as partial and the technician is told where they are.
            std::fclose(file);
            received.end = RecordingEnd::link_lost;
            status_show(store_recording(part, path, received, index));
            throw;
        }
        unanswered_in_a_row = answer < 0 ? unanswered_in_a_row + 1 : 0;
        if (!selected && sent && unit_port_usable()) {
            std::fclose(file);
            std::remove(part.c_str());
            status_show(formatted("Recording %d was %s by the unit and skipped.\r\n", index,
                                  answer < 0 ? "not answered" : "refused"));
            ++not_whole;
            // A unit that has fallen silent would otherwise be waited for once
            // for every recording its count claimed.
            if (unanswered_in_a_row >= unanswered_limit && index > 0) {
                message_box(formatted("The unit stopped answering at recording %d.", index), "Error", BoxButtons::ok,
                            BoxIcon::error);
                status_show(formatted("The unit answered none of the last %d recording requests; the download stopped.\r\n",
                                      unanswered_limit));
                return return_to_setup(page);
            }
            continue;
        }
        if (std::fclose(file) != 0 && received.end == RecordingEnd::complete) {
            message_box("Cannot write " + part + ": " + system_error_text(errno), "Error", BoxButtons::ok, BoxIcon::error);
            received.end = RecordingEnd::write_failed;
        }
        const std::string where = store_recording(part, path, received, index);
        // The technician's Cancel closed the link and ended the page already.
        if (received.end == RecordingEnd::link_lost && g_commands.abort_requested) {
            status_show(formatted("The download was stopped during recording %d.\r\n", index));
            status_show(where);
            return 0;
        }
        if (received.end == RecordingEnd::link_lost) {
            message_box(formatted("The link to the unit was lost during recording %d.", index), "Error", BoxButtons::ok,
                        BoxIcon::error);
            status_show(formatted("The link to the unit was lost during recording %d; the download stopped.\r\n", index));
            status_show(where);
            return return_to_setup(page);
        }
        if (!where.empty()) status_show(where);
        if (received.end != RecordingEnd::complete) ++not_whole;
    }
    // A download that lost recordings on the way is not reported as complete.
    if (not_whole == 0)
        status_show("Flight Data Recording file transfers complete\r\n");
    else
        status_show(formatted("Flight Data Recording file transfers ended: %d of %d recordings not downloaded whole\r\n",
                              not_whole, count));
    status_show("Will return to the Setup dialog momentarily.\r\n");
    wait_responsive(3000);
    page_end(page, RESULT_BACK);
    return 1;
}
