// The Win32 serial port and SetupAPI discovery under Wine, against
// htaws-unit-sim serving Wine COM ports. Each suite expects what its CTest
// entry serves (CMakeLists.txt beside this file).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/image.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/serial.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/load_image_builder.h"
#include "support/scripted_window.h"
#include "support/unit_link_reset.h"
#include "unit/identity.h"

namespace {
const std::string com5 = "\\\\.\\COM5";
const std::string com6 = "\\\\.\\COM6";
const std::string com7 = "\\\\.\\COM7";
const std::string com8 = "\\\\.\\COM8";

std::string found_port() {
    std::string name;
    SerialPort* port = find_gadget_port(name);
    if (!port) return "none";
    serial_close(port);
    return name;
}

// Every byte value, so that a line setting that translates or swallows any
// (CR, XON, DLE, ...) shows.
std::string every_byte_value(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = char(i * 7);
    return bytes;
}

// The unit's verdict on a load: its first line, as far as it came while the
// last byte was written, completed by what followed.
std::string load_verdict() {
    std::string text(reinterpret_cast<const char*>(g_link.block_reply.data()), g_link.block_reply_fill);
    for (;;) {
        const std::size_t start = text.find_first_not_of("\r\n");
        const std::size_t end = start == std::string::npos ? start : text.find_first_of("\r\n", start);
        if (end != std::string::npos) return text.substr(start, end - start);
        const int c = unit_get_byte_within(2000);
        if (c < 0) return text;
        text += char(c);
    }
}

class WineLink : public ::testing::Test {
protected:
    void SetUp() override {
        script_reset();
        reset_unit_link_state();
    }
    void TearDown() override {
        reset_unit_link_state();
        EXPECT_EQ(script_pending(), 0u);
    }

    void connect() {
        ASSERT_TRUE(locate_unit_port());
        ASSERT_TRUE(connect_unit());
    }
    // The mode command, its reply and the control block of a load of `body`.
    void start_load(uint32_t type, const std::string& body) {
        const std::string block = control_block_for(type, body);
        ASSERT_EQ(enter_load_mode(LOAD_BINARY, reinterpret_cast<const uint8_t*>(block.data())).end, ModeEnd::ready);
    }
    // Connects and starts a 400 KB load whose body write must fail; returns how
    // long the write took to give up.
    uint64_t failing_body_write_ms() {
        connect();
        const std::string body = filler_bytes(400000, 3);
        start_load(IMAGE_SYSTEM_PROGRAM, body);
        const uint64_t start = now_ms();
        EXPECT_FALSE(write_multi_byte(body.data(), body.size()));
        return now_ms() - start;
    }
    // An image load in data blocks: the unit's answer to the control block,
    // then `body` in blocks of 1024 bytes and the staged baud command that
    // ends the load and draws the unit's verdict; true when each was written.
    bool send_image_load(const std::string& body) {
        char answer[64];
        if (unit_read_line(answer, sizeof answer, 2000) <= 0 || std::string(answer) != "OK") return false;
        return send_data_blocks(body) && write_multi_byte("BR 115200\r", 10);
    }
    // Sends `body` in data blocks of 1024 bytes; true when each was written.
    bool send_data_blocks(const std::string& body) {
        for (uint32_t sent = 0; sent < body.size(); sent += 1024) {
            const std::string piece = body.substr(sent, 1024);
            if (send_block('D', piece.data(), piece.size(), sent) != BlockEnd::sent) return false;
        }
        return true;
    }
};

// COM7 alone, served with --unit-number 0BADF00D --free 1A2B,3C4D,400.
using OnePort = WineLink;
// COM5 listed as "Gadget Serial (COM5)" with no port behind it, COM6 served as
// "USB Serial Port (COM6)", COM7 and COM8 as "Gadget Serial (COMn)".
using SeveralPorts = WineLink;
// COM7 served with --pull-cable-after 2 (ReadEndsAtOnce: the unit vanishes
// within the first command) or 20000 (within the load's body).
using PulledCable = WineLink;
// COM7 served with --stop-reading-after 20000: the unit stops taking bytes within
// the load's body but stays on the line.
using StalledUnit = WineLink;
}  // namespace

TEST_F(OnePort, ListedFoundAndOpened) {
    bool listed = false;
    for (const PortInfo& port : list_serial_ports())
        listed = listed || (port.device == com7 && port.description == "Gadget Serial (COM7)");
    EXPECT_TRUE(listed);

    EXPECT_EQ(found_port(), com7);
    ASSERT_TRUE(locate_unit_port());
    EXPECT_EQ(g_link.port_name, com7);
}

TEST_F(OnePort, ConnectsReadsTheTablesAndAnswersACommand) {
    ASSERT_NO_FATAL_FAILURE(connect());
    ASSERT_TRUE(query_unit_tables());
    read_hardware_id();
    EXPECT_EQ(g_unit.unit_generation, 4);
    EXPECT_EQ(p_table_word(P_UNIT_NUMBER), 0x0BADF00Du);

    EXPECT_TRUE(unit_send_command("DF\r"));
    char reply[256];
    ASSERT_GT(unit_read_line(reply, sizeof reply, 2000), 0);
    EXPECT_STREQ(reply, "OK : 00001A2B 00003C4D 00000400");
}

// Also run with the unit busy (NAK ... ACK) every 1000 bytes.
TEST_F(OnePort, FramedBlocksOfEveryByteValueAreAccepted) {
    ASSERT_NO_FATAL_FAILURE(connect());
    const std::string body = every_byte_value(5000);
    ASSERT_NO_FATAL_FAILURE(start_load(IMAGE_OS, body));
    ASSERT_TRUE(send_image_load(body));
    EXPECT_EQ(load_verdict(), "OK");

    // The same load announced with another checksum: the unit says so.
    std::string other = body;
    flip_byte(other, 4321);
    ASSERT_NO_FATAL_FAILURE(start_load(IMAGE_OS, other));
    ASSERT_TRUE(send_image_load(body));
    EXPECT_EQ(load_verdict(), "ERR: load checksum mismatch");
}

// Under Wine a port another program holds still opens, so COM5, listed with
// nothing behind it, is the gadget port that does not open.
TEST_F(SeveralPorts, FirstGadgetPortThatOpensIsTaken) {
    std::vector<std::string> gadgets;
    bool other_listed = false;
    for (const PortInfo& port : list_serial_ports()) {
        if (port.description.find("Gadget Serial") != std::string::npos) gadgets.push_back(port.device);
        other_listed = other_listed || (port.device == com6 && port.description == "USB Serial Port (COM6)");
    }
    EXPECT_TRUE(other_listed);
    ASSERT_EQ(gadgets, (std::vector<std::string>{com5, com7, com8}));

    EXPECT_EQ(found_port(), com7);
    ASSERT_TRUE(locate_unit_port());
    EXPECT_EQ(g_link.port_name, com7);
}

TEST_F(PulledCable, ReadEndsAtOnce) {
    ASSERT_TRUE(locate_unit_port());
    ASSERT_TRUE(unit_open_port());
    // The unit vanishes as the command's last byte reaches it: whether Wine
    // still reports that byte's write as done is a race, and not the point.
    (void)unit_send_command("DF\r");
    const uint64_t start = now_ms();
    EXPECT_EQ(unit_get_byte(), -1);
    EXPECT_LT(now_ms() - start, 1000u);
    EXPECT_FALSE(unit_port_usable());
}

TEST_F(PulledCable, LoadWriteFailsAtOnceAndTheUnitIsGone) {
    EXPECT_LT(failing_body_write_ms(), 3000u);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(unit_port_usable());
    EXPECT_EQ(send_block('D', "x", 1, 0), BlockEnd::write_failed);

    // COM7 is still listed but no longer opens.
    EXPECT_FALSE(locate_unit_port());
    EXPECT_FALSE(g_link.port_found);
}

TEST_F(StalledUnit, LoadWriteGivesUpInsteadOfWaitingForever) {
    EXPECT_LT(failing_body_write_ms(), write_stall_limit_ms + 3000u);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(unit_port_usable());
}
