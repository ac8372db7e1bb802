#include "loads/image_loads.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/load_preparation.h"
#include "catalogue/parameter_file.h"
#include "catalogue/upload_settings.h"
#include "formats/byte_order.h"
#include "formats/image.h"
#include "link/commands.h"
#include "loads/reply_questions.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "link/staging.h"
#include "loads/file_body.h"
#include "loads/software_image_file.h"
#include "output/report.h"
#include "output/status_shown.h"
#include "platform/files.h"
#include "unit/configuration.h"
#include "platform/page_result.h"
#include "records/files_sent.h"

namespace {
constexpr const char* staging_name = "temp.dat";
constexpr std::size_t image_block_bytes = 1024;
constexpr uint32_t image_settle_ms = 2000;
constexpr uint32_t last_os_image_settle_ms = 4000;

struct ImageLoad {
    CatalogueKind catalogue;
    std::size_t images;
    const char* no_candidate;
    const char* open_failed;
    const char* header_failed;
    const char* size_line;
    const char* title;
    const char* complete_line;
    const char* complete_title;
};

constexpr ImageLoad os_load{
    .catalogue = CAT_OS_IMAGES,
    .images = 3,
    .no_candidate = "No Loadable OS Image file.",
    .open_failed = "Unable to open Update script file for transfer.",
    .header_failed = "Unable to read OS Image file header segment.",
    .size_line = "Load OS Image file, %u bytes\r\n",
    .title = "Load OS Image file",
    .complete_line = "System OS Image file load complete\r\n",
    .complete_title = "System OS Image file Load Complete",
};

constexpr ImageLoad boot_load{
    .catalogue = CAT_BOOT_PROGRAM,
    .images = 1,
    .no_candidate = "No Loadable Boot image.",
    .open_failed = "Unable to open Boot image file for transfer.",
    .header_failed = "Unable to read Boot image file header segment.",
    .size_line = "Load Boot image, %u bytes\r\n",
    .title = "Load Boot image",
    .complete_line = "System Boot image load complete\r\n",
    .complete_title = "System Boot image Load Complete",
};

// The staging stream is never left open past one image.
struct StagingGuard {
    ~StagingGuard() { staging_close(); }
};

enum class ImageEnd { sent, stopped };

ImageEnd end_page(Page page, int result) {
    page_end(page, result);
    return ImageEnd::stopped;
}

// The unit's verdict on an image it did not take, or a transfer that did not
// reach it: the program ends.
ImageEnd fail_transfer(Page page, const std::string& text = "ERROR transmitting data.") {
    static_cast<void>(report_error(text));
    page_end(page, RESULT_QUIT);
    g_commands.abort_requested = true;
    return ImageEnd::stopped;
}

ImageEnd cancelled() {
    unit_close_port();
    return ImageEnd::stopped;
}

std::string staging_failure(const char* doing, int error) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(staging_name, ec);
    if (ec) path = staging_name;
    return "Unable to " + std::string(doing) + " the staging file '" + path.string() + "': " +
           std::error_code(error, std::generic_category()).message();
}

// Takes everything the unit has sent and nobody read, so that none of it can
// later pass for the answer to another command; true when it reports an error.
bool waiting_text_has_error() {
    UnitTextWatch watch;
    for (int c; (c = unit_get_byte_within(0)) >= 0;) {
        const char byte = char(c);
        watch.add(std::string_view(&byte, 1));
    }
    return watch.seen();
}

ImageEnd configuration_saved(Page page) {
    const int read = read_configuration(page, parameter_file_path());
    if (g_commands.abort_requested) return cancelled();
    if (read == 0) return ImageEnd::sent;
    unit_close_port();
    return end_page(page, report_error("Problem reading configuration\nTry again?") ? RESULT_WAITING_AGAIN : RESULT_QUIT);
}

// The payload as 'D' blocks at their payload offsets, the progress moving with
// them. A short read or a block that did not go out fails the image (the unit
// would hold a payload with a hole in it), and so does an error the unit
// reports while a block is written.
ImageEnd send_payload(Page page, std::FILE* file, uint32_t length, TransferProgress& progress) {
    std::array<uint8_t, image_block_bytes> block;
    uint32_t sent = 0;
    while (sent < length && !g_commands.abort_requested) {
        progress.show("Transferring", sent, length);
        const std::size_t n = std::min<std::size_t>(block.size(), length - sent);
        if (std::fread(block.data(), 1, n, file) != n) return fail_transfer(page);
        if (send_block('D', block.data(), n, sent) != BlockEnd::sent) {
            if (g_commands.abort_requested) break;
            // The first failed block ends the image, so the count is one.
            show_operation_title(page, "    Write error count 1    ");
            return fail_transfer(page);
        }
        if (!reply_has_no_error()) return fail_transfer(page);
        sent += uint32_t(n);
    }
    if (g_commands.abort_requested) return cancelled();
    progress.show("Transferring", sent, length);
    return ImageEnd::sent;
}

// The staging file written for this image, passed through the link with the
// block delay after every piece; stops at the unit's "ERR".
ImageEnd send_staged(Page page, TransferProgress& progress, uint32_t settle_ms) {
    errno = 0;
    FilePtr staged = open_binary(staging_name);
    if (!staged) return fail_transfer(page, staging_failure("reopen", errno));
    const int64_t size = file_size(staged.get());
    if (size < 0) return fail_transfer(page, staging_failure("read", EIO));
    const PassResult pass = send_file_body(
        staged.get(), uint64_t(size), progress, BodyPacing{uint32_t(std::max(block_delay(), 0)), true});
    staged.reset();
    if (pass.end == PassEnd::cancelled) return cancelled();
    if (pass.end != PassEnd::done || pass.unit_error) return fail_transfer(page);
    if (!wait_responsive(settle_ms)) return cancelled();
    const bool late_error = waiting_text_has_error();
    if (!reply_has_no_error() || late_error) return fail_transfer(page);
    return ImageEnd::sent;
}

ImageEnd send_image(Page page, const ImageLoad& load, const std::string& path, uint32_t settle_ms,
                    TransferProgress& progress) {
    LoadImageFile image;
    if (const ImageFileOpen opened = open_load_image_file(path, image); opened != ImageFileOpen::opened) {
        static_cast<void>(report_error(opened == ImageFileOpen::not_opened ? load.open_failed : load.header_failed));
        return end_page(page, RESULT_QUIT);
    }
    std::array<uint8_t, load_image_header_size>& header = image.load_image_header;
    const uint32_t length = image.payload_length();
    if (configuration_saved(page) != ImageEnd::sent) return ImageEnd::stopped;

    // A fresh staging file for every image: an older "temp.dat" is never sent.
    StagingGuard staging;
    errno = 0;
    if (!staging_open_file(staging_name)) {
        const int error = errno;
        status_note("Failed to open '%s' for writing\n", staging_name);
        return fail_transfer(page, staging_failure("create", error));
    }
    note_file_sent(path, length, get_be32(&header[hdr_payload_crc]));
    // The unit takes the payload's raw checksum register: the negated final value.
    put_be32(&header[hdr_payload_crc], 0u - get_be32(&header[hdr_payload_crc]));
    const ModeOpening opening = enter_load_mode(LOAD_BINARY, header.data());
    if (opening.end == ModeEnd::not_answered) ask_after_mode_command(page, opening);
    if (opening.end != ModeEnd::ready) return ImageEnd::stopped;
    if (waiting_text_has_error()) return fail_transfer(page);

    status_show(formatted(load.size_line, unsigned(length)));
    show_operation_title(page, load.title);
    if (send_payload(page, image.file.get(), length, progress) != ImageEnd::sent) return ImageEnd::stopped;
    image.file.reset();

    if (send_baud_command(115200) != BaudCommand::sent) return fail_transfer(page);
    staging_close();
    return send_staged(page, progress, settle_ms);
}

int run_image_load(Page page, const ImageLoad& load) {
    control_show(page, ID_TRANSFER_LINE, true);
    const std::vector<std::string>& paths = prepared_files();
    if (!catalogue_ready(load.catalogue) || paths.size() < load.images) {
        static_cast<void>(report_error(load.no_candidate));
        page_end(page, RESULT_QUIT);
        return 1;
    }
    TransferProgress progress{page};
    for (std::size_t i = 0; i < load.images; ++i) {
        const bool last_os_image = load.images > 1 && i + 1 == load.images;
        const uint32_t settle_ms = last_os_image ? last_os_image_settle_ms : image_settle_ms;
        if (send_image(page, load, paths[i], settle_ms, progress) != ImageEnd::sent) return 1;
    }
    status_show(load.complete_line);
    status_show("** When finished loading all files\r\n");
    status_show("** Reset instrument to activate new system software\r\n");
    show_operation_title(page, load.complete_title);
    unit_close_port();
    return 1;
}
}  // namespace

int load_os_image(Page page) { return run_image_load(page, os_load); }

int load_boot_image(Page page) { return run_image_load(page, boot_load); }
