// The POSIX serial layer and port enumeration in real time: a fake sysfs tree,
// the virtual ports folder, and htaws-unit-sim on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "link/commands.h"
#include "link/connection.h"
#include "link/discovery.h"
#include "link/serial.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "support/temp_dir.h"
#include "unit/identity.h"

namespace fs = std::filesystem;

namespace {
void write_text(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

// /sys/class/tty/NAME/device -> /sys/devices/DEVICE; a USB interface carries
// bInterfaceNumber and its parent (the USB device) the product string.
void make_tty(const fs::path& root, const std::string& name, const std::string& device, const char* product,
              bool usb_interface) {
    const fs::path device_dir = root / "devices" / device;
    fs::create_directories(device_dir);
    if (usb_interface) write_text(device_dir / "bInterfaceNumber", "00\n");
    if (product) write_text(device_dir.parent_path() / "product", std::string(product) + "\n");
    const fs::path tty = root / "class" / "tty" / name;
    fs::create_directories(tty);
    fs::create_directory_symlink(fs::relative(device_dir, tty), tty / "device");
}

bool same(const std::vector<PortInfo>& a, const std::vector<PortInfo>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].device != b[i].device || a[i].description != b[i].description) return false;
    return true;
}

// htaws-unit-sim registered under its own name in the virtual ports folder.
class UnitSimProcess {
public:
    explicit UnitSimProcess(const std::string& name) : link_(virtual_ports_folder() + "/" + name) {
        std::vector<std::string> args = {HTAWS_UNIT_SIM, "--name", name};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, HTAWS_UNIT_SIM, &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 500 && pid_ && !registered(); ++i) sleep_ms(10);
    }
    ~UnitSimProcess() { stop(); }

    bool registered() const {
        std::error_code ec;
        return fs::is_symlink(link_, ec);
    }
    std::string device() const { return fs::read_symlink(link_).string(); }

    void stop() {
        if (!pid_) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
    }

private:
    std::string link_;
    pid_t pid_ = 0;
};
}  // namespace

TEST(RealTimePorts, SysfsListsUsbSerialFunctionsByProduct) {
    TempDir dir;
    const fs::path root = dir.path();
    make_tty(root, "ttyACM1", "pci0/usb1/1-2/1-2:1.0", "Other Modem", true);
    make_tty(root, "ttyACM0", "pci0/usb1/1-1/1-1:1.0", "Gadget Serial v2.4", true);
    make_tty(root, "ttyS0", "platform/serial8250/tty/ttyS0", nullptr, false);
    EXPECT_TRUE(same(list_sysfs_ports(root.string()), {{"/dev/ttyACM0", "Gadget Serial v2.4"},
                                                       {"/dev/ttyACM1", "Other Modem"}}));
    EXPECT_TRUE(list_sysfs_ports(dir.file("missing")).empty());
}

TEST(RealTimePorts, VirtualPortsOnlyFromAFolderNobodyElseWrites) {
    TempDir dir;
    const std::string folder = dir.file("ports");
    fs::create_directory(folder);
    chmod(folder.c_str(), 0700);
    fs::create_symlink("/dev/pts/77", folder + "/Gadget Serial (simulated)");
    write_text(folder + "/not a link", "");
    EXPECT_TRUE(same(list_virtual_ports(folder), {{"/dev/pts/77", "Gadget Serial (simulated)"}}));
    chmod(folder.c_str(), 0770);
    EXPECT_TRUE(list_virtual_ports(folder).empty());
}

TEST(RealTimePorts, UnitLinksListEachUnitOnceBesideSysfs) {
    TempDir dir;
    const std::string dev = dir.file("dev");
    fs::create_directory(dev);
    for (const char* tty : {"ttyACM0", "ttyACM1", "ttyACM2"}) write_text(dev + "/" + tty, "");
    fs::create_symlink("ttyACM0", dev + "/htaws-unit-0");
    fs::create_symlink("ttyACM2", dev + "/htaws-unit");
    fs::create_symlink("ttyACM2", dev + "/htaws-unit-2");
    fs::create_symlink("ttyACM1", dev + "/htaws-unitx");
    fs::create_symlink("ttyACM9", dev + "/htaws-unit-9");
    // Without sysfs, each unit once, by its numbered link; a name that is no
    // unit link and a link to nothing are left out.
    EXPECT_TRUE(same(list_unit_links(dev, {}), {{dev + "/htaws-unit-0", "Gadget Serial (htaws-unit-0)"},
                                                {dev + "/htaws-unit-2", "Gadget Serial (htaws-unit-2)"}}));
    // A unit sysfs already lists is not listed twice.
    EXPECT_TRUE(same(list_unit_links(dev, {{dev + "/ttyACM2", "Gadget Serial v2.4"}}),
                     {{dev + "/htaws-unit-0", "Gadget Serial (htaws-unit-0)"}}));
    EXPECT_TRUE(list_unit_links(dir.file("missing"), {}).empty());
}

TEST(RealTimeLink, FindsConnectsAndReadsTheSimulatedUnit) {
    reset_link_state();
    reset_command_state();
    UnitSimProcess sim("Gadget Serial (link test)");
    ASSERT_TRUE(sim.registered());
    ASSERT_TRUE(locate_unit_port());
    EXPECT_EQ(g_link.port_name, sim.device());

    ASSERT_TRUE(connect_unit());
    EXPECT_TRUE(query_unit_tables());
    read_hardware_id();
    EXPECT_EQ(g_unit.unit_generation, 4);

    sim.stop();
    const uint64_t start = now_ms();
    // What had arrived is still handed out; then the wait ends at once.
    int left = 0;
    while (unit_get_byte() >= 0 && left < 300) ++left;
    EXPECT_LT(left, 300);
    EXPECT_LT(now_ms() - start, 1000u);
    EXPECT_FALSE(unit_port_usable());
    EXPECT_FALSE(write_multi_byte("x", 1));
    reset_link_state();
}

// The unit on the master side of a pseudo-terminal holds the sender with a
// NAK once part of the blocks has come and lets it go 300 ms later. Bytes
// written before the NAK reached the sender still come out of the
// pseudo-terminal in the first moments; after 50 ms nothing more may come
// until the ACK.
TEST(RealTimeLink, ANakHoldsDataBlocksUntilTheAck) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave = ptsname(master);
    termios raw{};
    tcgetattr(master, &raw);
    cfmakeraw(&raw);
    tcsetattr(master, TCSANOW, &raw);
    reset_link_state();
    reset_command_state();
    g_link.port_found = true;
    g_link.port_name = slave;
    ASSERT_TRUE(unit_open_port());

    constexpr std::size_t blocks = 64, block = 1024;
    constexpr uint64_t expected = blocks * (2 + 10 + block + 4), nak_after = 20000;
    uint64_t received = 0, during_hold = 0, held_ms = 0;
    std::thread unit([&] {
        std::vector<char> buffer(65536);
        uint64_t nak_at = 0, ack_at = 0;
        const uint64_t start = now_ms();
        while (received < expected && now_ms() - start < 20000) {
            pollfd p{master, POLLIN, 0};
            const ssize_t n = poll(&p, 1, 5) > 0 ? read(master, buffer.data(), buffer.size()) : 0;
            const uint64_t now = now_ms();
            if (n > 0) {
                received += uint64_t(n);
                if (nak_at && !ack_at && now - nak_at >= 50) during_hold += uint64_t(n);
            }
            if (!nak_at && received >= nak_after && write(master, "\x15", 1) == 1) nak_at = now;
            if (nak_at && !ack_at && now - nak_at >= 300 && write(master, "\x06", 1) == 1) ack_at = now;
        }
        held_ms = ack_at - nak_at;
    });
    const std::vector<uint8_t> payload(block, 0x5A);
    const uint64_t start = now_ms();
    for (std::size_t i = 0; i < blocks; ++i)
        ASSERT_EQ(send_block('D', payload.data(), payload.size(), uint32_t(i * block)), BlockEnd::sent) << i;
    const uint64_t took = now_ms() - start;
    unit.join();
    EXPECT_EQ(received, expected);
    EXPECT_GE(held_ms, 300u);
    EXPECT_GE(took, 300u) << "the sender did not wait for the ACK";
    EXPECT_EQ(during_hold, 0u) << "bytes came while the unit held the sender";
    reset_link_state();
    close(master);
}
