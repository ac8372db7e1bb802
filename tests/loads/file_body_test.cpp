#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "formats/file_pieces.h"
#include "link/commands.h"
#include "link/link_fixture.h"
#include "link/serial.h"
#include "loads/database_protocol.h"
#include "loads/file_body.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/scripted_pages.h"
#include "support/sim_port.h"
#include "support/temp_dir.h"

namespace {
constexpr int BODY_PAGE = 900;
constexpr int ID_CANCEL_BUTTON = 2;
const ControlDecl body_controls[] = {
    ControlDecl{ID_PROGRESS, ControlKind::progress, "", 5, 5, 190, 10},
    ControlDecl{ID_TRANSFER_LINE, ControlKind::static_text, "", 5, 20, 190, 10},
    ControlDecl{ID_CANCEL_BUTTON, ControlKind::button, "Cancel", 5, 40, 50, 14},
};
const PageLayout body_page{BODY_PAGE, "Body", 200, 100, true, body_controls};

std::function<void(Page)> g_run;

void body_page_handler(Page page, PageEvent event, int id) {
    if (event == PageEvent::open) {
        progress_set_range(page, ID_PROGRESS, 0, 1000);
        page_post_command(page, 100);
    } else if (event == PageEvent::command && id == 100) {
        g_run(page);
        page_end(page, 1);
    } else if (event == PageEvent::command && id == ID_CANCEL_BUTTON) {
        g_commands.abort_requested = true;
    }
}

std::string pattern_bytes(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

uint32_t checksum_of(const std::string& bytes) {
    uint32_t reg = 0;
    crc_begin(reg);
    crc_add_span(reg, bytes.data(), bytes.size());
    return crc_end(reg);
}

// Sends `bytes` as a database body to the unit, after its mode and control
// block, through send_file_body on a page; `actions` are the technician's.
class FileBodyTest : public LinkTest {
protected:
    PassResult send(const std::string& bytes, std::vector<TechAction> actions = {}, BodyPacing pacing = {}) {
        path_ = dir_.write("body.bin", bytes);
        file_ = open_binary(path_);
        ControlBlock block = database_control_block("a424_database.bin", "", bytes.size(), 0);
        seal_control_block(block, checksum_of(bytes));
        EXPECT_EQ(enter_load_mode(LOAD_BINARY, block.data()).end, ModeEnd::ready);
        char line[64];
        EXPECT_GE(unit_read_line(line, sizeof line, 5000), 0);
        EXPECT_STREQ(line, "OK");
        PassResult result;
        g_run = [&](Page page) {
            progress_ = TransferProgress{page};
            result = send_file_body(file_.get(), bytes.size(), progress_, pacing);
        };
        script_page(BODY_PAGE, std::move(actions));
        EXPECT_EQ(page_run(body_page, body_page_handler), 1);
        return result;
    }
    // The unit's verdict on the body.
    std::string verdict() {
        char line[64];
        if (unit_read_line(line, sizeof line, 20000) < 0) return "none";
        return line;
    }

    TempDir dir_;
    std::string path_;
    FilePtr file_;
    TransferProgress progress_;
};

TEST_F(FileBodyTest, TheWholeFileGoesOutInPiecesWithProgressToTheEnd) {
    open();
    const std::string bytes = pattern_bytes(3 * body_piece_size + 3392);
    const PassResult r = send(bytes);
    EXPECT_EQ(r.end, PassEnd::done);
    EXPECT_EQ(r.bytes, bytes.size());
    EXPECT_FALSE(r.unit_error);
    EXPECT_EQ(verdict(), "OK");
    ASSERT_EQ(unit->loads().size(), 1u);
    EXPECT_EQ(unit->loads()[0].data, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(page_control(BODY_PAGE, ID_PROGRESS).position, 1000);
    EXPECT_EQ(page_control(BODY_PAGE, ID_TRANSFER_LINE).text, "Transferring 200000 of 200000 bytes");
}

TEST_F(FileBodyTest, UnitErrorTextIsCollectedOverTheWholeBody) {
    for (const long at : {70000L, 199999L}) {
        SCOPED_TRACE(at);
        SimConfig config;
        config.faults.err_at_body_byte = at;
        open(config);
        const PassResult r = send(pattern_bytes(200000));
        EXPECT_EQ(r.end, PassEnd::done);
        EXPECT_TRUE(r.unit_error);
        EXPECT_EQ(verdict(), "OK");
        EXPECT_TRUE(sim_port_finish().empty());
        reset_link_state();
    }
}

TEST_F(FileBodyTest, TheStagedSendStopsAfterThePieceTheUnitRefused) {
    SimConfig config;
    config.faults.err_at_body_byte = 70000;
    open(config);
    const uint64_t start = now_ms();
    const PassResult r = send(pattern_bytes(400000), {}, BodyPacing{250, true});
    EXPECT_EQ(r.end, PassEnd::unit_error);
    EXPECT_EQ(r.bytes, 2 * body_piece_size);
    EXPECT_GE(now_ms() - start, 500u);
    sim_port_expect_anomaly("body incomplete");
    EXPECT_EQ(verdict().rfind("ERR: body incomplete", 0), 0u);
}

TEST_F(FileBodyTest, CancelAndAPulledCableEndTheBodyAtThePiece) {
    open();
    PassResult r = send(pattern_bytes(1000000), {tech::click(ID_CANCEL_BUTTON).when_progress_passes(ID_PROGRESS, 300)});
    EXPECT_EQ(r.end, PassEnd::cancelled);
    EXPECT_LT(r.bytes, 500000u);
    EXPECT_EQ(r.bytes % body_piece_size, 0u);
    sim_port_expect_anomaly("body incomplete");
    g_commands.abort_requested = false;
    EXPECT_EQ(verdict().rfind("ERR: body incomplete", 0), 0u);
    EXPECT_TRUE(sim_port_finish().empty());
    reset_link_state();

    SimConfig config;
    config.faults.cable_pulled_after = 300000;
    open(config);
    const uint64_t start = now_ms();
    r = send(pattern_bytes(1000000));
    EXPECT_EQ(r.end, PassEnd::write_failed);
    EXPECT_LT(r.bytes, 300000u);
    EXPECT_LT(now_ms() - start, 6000u);
    EXPECT_LT(file_tell(file_.get()), 400000);
}

TEST_F(FileBodyTest, ChecksumPassShowsItsProgressAndRewinds) {
    TempDir dir;
    const std::string bytes = pattern_bytes(5 * body_piece_size + 17);
    FilePtr file = open_binary(dir.write("data.bin", bytes));
    std::fseek(file.get(), 1000, SEEK_SET);
    uint32_t checksum = 0;
    PassResult r;
    g_run = [&](Page page) {
        TransferProgress progress{page};
        r = checksum_file(file.get(), bytes.size(), checksum, &progress);
    };
    script_page(BODY_PAGE, {});
    ASSERT_EQ(page_run(body_page, body_page_handler), 1);
    EXPECT_EQ(r.end, PassEnd::done);
    EXPECT_EQ(checksum, checksum_of(bytes));
    EXPECT_EQ(std::ftell(file.get()), 0);
    EXPECT_EQ(page_control(BODY_PAGE, ID_TRANSFER_LINE).text, "Checking integrity on 327697 of 327697 bytes");

    uint32_t empty = 0;
    FilePtr nothing = open_binary(dir.write("empty.bin", ""));
    EXPECT_EQ(checksum_file(nothing.get(), 0, empty, nullptr).end, PassEnd::done);
    EXPECT_EQ(empty, 1u);

    g_run = [&](Page page) {
        TransferProgress progress{page};
        r = checksum_file(file.get(), bytes.size(), checksum, &progress);
    };
    script_page(BODY_PAGE, {tech::click(ID_CANCEL_BUTTON).when_progress_passes(ID_PROGRESS, 300)});
    ASSERT_EQ(page_run(body_page, body_page_handler), 1);
    EXPECT_EQ(r.end, PassEnd::cancelled);
    EXPECT_LT(r.bytes, bytes.size());
}
}  // namespace
