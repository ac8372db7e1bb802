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

namespace {
constexpr uint32_t piece_limit = 8192;

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
// temporary one removed.
std::string keep_recording(const std::string& part, const std::string& name) {
    std::string stem = name.substr(0, name.size() - 4);
    for (int n = 1;; ++n) {
        std::string candidate = n == 1 ? name : stem + "_" + std::to_string(n) + ".dat";
        if (!file_exists(candidate)) {
            if (std::rename(part.c_str(), candidate.c_str()) != 0) return part;
            return candidate;
        }
        if (same_content(part, candidate)) {
            std::remove(part.c_str());
            return candidate;
        }
    }
}

// Reads the packets of the selected recording into `file` and acknowledges
// them. False after a failed packet (the unit was told "NO").
bool receive_recording(Page page, std::FILE* file, int index, bool& write_failed) {
    static uint8_t piece[piece_limit];
    TransferProgress progress{page};
    uint32_t received = 0;
    for (;;) {
        uint64_t total = 0;
        int type = 0;
        for (int calls = 0;; ++calls) {
            uint32_t count = 0;
            int result = read_htaws_packet(piece, total, count, piece_limit, calls);
            if (result < 0) {
                (void)unit_send_command("NO %08" PRIu32 "\r", received);
                message_box("Read Packet Error, Exiting", "Error", BoxButtons::ok, BoxIcon::none);
                return false;
            }
            if (calls == 0) {
                type = result;
                if (type != 'X') status_show("File index " + std::to_string(index) + " : length = " + std::to_string(total) + " bytes\r\n");
            }
            progress.show("Receiving", received, total);
            if (count == 0) break;
            if (std::fwrite(piece, 1, count, file) != count) write_failed = true;
            received += count;
        }
        if (type == 'X') {
            (void)unit_send_command("OK end\r");
            return true;
        }
        wait_responsive(50);
        if (!unit_send_command("OK %08" PRIu32 "\r", received)) return false;
    }
}
}  // namespace

int download_recordings(Page page) {
    char reply[256] = {};
    int got = unit_send_command("RC\r\n") ? unit_read_line(reply, sizeof reply, 700) : -1;
    if (got < 0 || std::strstr(reply, "OK") == nullptr) {
        status_show("The unit did not report its recording count; nothing was downloaded.\r\n");
        status_show("Returning to Setup dialog momentarily.\r\n");
        wait_responsive(3000);
        page_end(page, PAGE_BACK_TO_SETUP);
        return 0;
    }
    int count = 0;
    for (const char* p = reply; *p >= '0' && *p <= '9' && count < 100000; ++p) count = count * 10 + (*p - '0');
    if (count == 0) {
        status_show("NO FLIGHT DATA RECORDINGS FOUND.\r\n");
        status_show("Returning to Setup dialog momentarily.\r\n");
        wait_responsive(3000);
        page_end(page, PAGE_BACK_TO_SETUP);
        return 0;
    }
    char line[128];
    std::snprintf(line, sizeof line, "Retrieving %2d flight data recording files.\r\n", count);
    status_show(line);
    uint32_t serial = serial_digits();
    std::time_t now = std::time(nullptr);
    std::tm date = *std::localtime(&now);
    const std::string& folder = upload_setting(FDR_DIR);
    for (int index = count - 1; index >= 0; --index) {
        char name[64];
        std::snprintf(name, sizeof name, "REC_%08" PRIu32 "_%04d_%02d_%02d_%02d.dat", serial, date.tm_year + 1900,
                      date.tm_mon + 1, date.tm_mday, index);
        std::optional<std::string> joined = path_join(folder, name);
        if (!joined) {
            message_box(path_too_long_message(folder), "Error", BoxButtons::ok, BoxIcon::error);
            return 0;
        }
        const std::string& path = *joined;
        std::string part = path + ".part";
        std::FILE* file = std::fopen(part.c_str(), "wb");
        if (!file) {
            message_box("Cannot create " + part + ": " + system_error_text(errno), "Error", BoxButtons::ok, BoxIcon::error);
            return 0;
        }
        bool selected = unit_send_command("H %x\r\n", unsigned(index)) && unit_read_line(reply, sizeof reply, 700) > 0 &&
                        std::strncmp(reply, "OK", 2) == 0;
        if (!selected) {
            std::fclose(file);
            std::remove(part.c_str());
            status_show("Recording " + std::to_string(index) + " was refused by the unit and skipped.\r\n");
            continue;
        }
        bool write_failed = false;
        receive_recording(page, file, index, write_failed);
        if (std::fclose(file) != 0) write_failed = true;
        std::string kept = keep_recording(part, path);
        if (write_failed) message_box("Could not write all of " + kept, "Error", BoxButtons::ok, BoxIcon::error);
    }
    status_show("Flight Data Recording file transfers complete\r\n");
    status_show("Will return to the Setup dialog momentarily.\r\n");
    wait_responsive(3000);
    page_end(page, PAGE_BACK_TO_SETUP);
    return 1;
}
