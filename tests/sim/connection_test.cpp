// Wake-up, greeting, the five tables and the plain commands of the simulated unit.
#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "formats/byte_order.h"
#include "sim/wire.h"
#include "support/sim_port.h"

namespace {
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The 260 bytes of a table reply, from its hexadecimal digits.
Bytes table_bytes(const std::string& reply) {
    Bytes out;
    std::string digits;
    for (char c : reply)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

bool check_matches(const Bytes& table) {
    return table.size() == 260 && raw_register(Bytes(table.begin(), table.begin() + 256)) == get_be32(&table[256]);
}
}  // namespace

TEST(SimConnection, GreetsAfterEightCanBytesWithTheConfiguredLineEnd) {
    for (std::string end : {"\r\n", "\n", "\r"}) {
        SimConfig config;
        config.line_end = end;
        SimLink link(config);
        link.send(Bytes(7, 0x18));
        EXPECT_EQ(link.text_after(500), "");
        link.send(Bytes(1, 0x18));
        EXPECT_EQ(link.text_after(500), "OK: Ready for commands." + end);
    }
}

TEST(SimConnection, SilentUnitAndLatency) {
    SimConfig silent;
    silent.faults.silent = true;
    SimLink quiet(silent);
    quiet.send(can_burst());
    EXPECT_EQ(quiet.text_after(2000), "");

    SimConfig slow;
    slow.reply_latency_ms = 300;
    SimLink link(slow);
    link.send(can_burst());
    EXPECT_EQ(link.text_after(299), "");
    EXPECT_EQ(link.text_after(1), "OK: Ready for commands.\r\n");
}

TEST(SimConnection, TablesCarryTheirChecksAndThePTableFields) {
    SimConfig config;
    config.p_table.unit_number = 0x00420017;
    config.p_table.hardware_id = 0x34029ABC;
    config.faults.corrupt_table = 'N';
    SimLink link(config);
    for (char letter : std::string("PTBNY")) {
        link.send(std::string("Q") + letter + "\r");
        std::string reply = link.text_after(100);
        ASSERT_GE(reply.size(), 4u);
        EXPECT_EQ(reply.substr(reply.size() - 4), "\r\n\r\n") << letter;
        Bytes table = table_bytes(reply);
        EXPECT_EQ(check_matches(table), letter != 'N') << letter;
        if (letter == 'P') {
            EXPECT_EQ(get_be32(&table[244]), 0x00420017u);
            EXPECT_EQ(get_be32(&table[248]), 0x34029ABCu);
        }
    }
}

TEST(SimConnection, EarlierGenerationKeepsTheUnitNumberAt208) {
    SimConfig config;
    config.generation = 1;
    config.p_table.unit_number = 0x00001234;
    EXPECT_EQ(get_be32(&sim_p_table(config)[208]), 0x00001234u);
}

TEST(SimConnection, TableAfterWakeUpFollowsTheGreeting) {
    SimLink link;
    link.send(can_burst());
    link.send("QP\r");
    std::string reply = link.text_after(500);
    EXPECT_EQ(reply.rfind("OK: Ready for commands.\r\n", 0), 0u);
}

TEST(SimCommands, RepliesAsTheUploaderExpects) {
    struct Case {
        std::string command;
        std::string reply;
    } cases[] = {
        {"DF\r", "OK : 00010000 00000000 00001000\r\n"},
        {"DDB 3\r", "OK : database 3 erased\r\n"},
        {"DDB 9\r", "NO: no such database\r\n"},
        {"RESET 1\r", ""},
        {"UP\r", ""},
        {"STOPF\r", ""},
        {"STARTF\r", ""},
        {"PT\r", "OK: Entering TSTBLK mode\r\n"},
        {"XYZZY\r", "NO: unknown command \"XYZZY\"\r\n"},
    };
    for (const Case& c : cases) {
        SimLink link;
        link.send(c.command);
        EXPECT_EQ(link.text_after(100), c.reply) << c.command;
    }
}

TEST(SimCommands, FaultsRefuseOrIgnoreCommands) {
    SimConfig config;
    config.faults.refused_modes = "T";
    config.faults.unanswered = {"DF"};
    SimLink link(config);
    link.send("T\r");
    EXPECT_EQ(link.text_after(100), "NO: mode refused\r\n");
    link.send("DF\r");
    EXPECT_EQ(link.text_after(10000), "");
    EXPECT_TRUE(link.noted("\"DF\" left unanswered"));
}

TEST(SimCommands, ReadsAndWritesParameters) {
    SimConfig config;
    config.parameters = {"Audio Volume 0x00000005", "Speed.Limit 0x000000C8"};
    SimLink link(config);
    link.send("RP\r\n");
    EXPECT_EQ(link.text_after(100), "Audio Volume 0x00000005\r\nSpeed.Limit 0x000000C8\r\n\r\n");

    link.send("WP\r\nAudio Volume 0x00000007\r\nNew-Item 0x00000001\r\n");
    EXPECT_EQ(link.text_after(100), "");
    link.send("\r\n");
    EXPECT_EQ(link.text_after(100), "OK: parameters stored\r\n");
    EXPECT_EQ(link.unit.parameters(),
              (std::vector<std::string>{"Audio Volume 0x00000007", "Speed.Limit 0x000000C8", "New-Item 0x00000001"}));
}

TEST(SimCommands, GarbageNeverOverrunsALine) {
    SimLink link;
    Bytes garbage(5000, 'A');
    garbage.push_back('\r');
    link.send(garbage);
    EXPECT_EQ(link.text_after(100), "NO: line longer than 1024 characters\r\n");
    link.send(can_burst());
    EXPECT_EQ(link.text_after(100), "OK: Ready for commands.\r\n");
}

TEST(SimCommands, WakesUpAfterGarbageInAnyExchange) {
    Bytes body_block = control_block(1, Bytes(1000000), "0x3400");
    Bytes image_block = control_block(3, Bytes(1000000), "kernel");
    struct Case {
        const char* what;
        int generation;
        Bytes opening;
    } cases[] = {
        {"command", 4, {}},
        {"control block", 4, bytes_of("P\r")},
        {"raw body", 4, bytes_of("P\r")},
        {"data blocks", 4, bytes_of("P\r")},
        {"test stream", 4, bytes_of("PT\r")},
        {"parameter list", 4, bytes_of("WP\r\n")},
        {"download", 4, bytes_of("H 0\r\n")},
        {"earlier data blocks", 1, bytes_of("M\r")},
    };
    cases[2].opening = cases[2].opening + framed_block('C', body_block, 0, true);
    cases[3].opening = cases[3].opening + framed_block('C', image_block, 0, true);
    cases[7].opening = cases[7].opening + framed_block('C', Bytes(256), 0, true);
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SimConfig config;
        config.generation = c.generation;
        config.recordings = {Bytes(100000, 0x10)};
        SimLink link(config);
        link.send(c.opening);
        for (int i = 0; i < 50; ++i) {
            Bytes garbage(400);
            for (uint8_t& b : garbage) b = uint8_t(random() % 3 ? random() : 0x10);
            link.send(garbage);
            link.read_after(1);
        }
        link.read_after(6000);
        link.send(can_burst());
        std::string reply = link.text_after(100);
        EXPECT_NE(reply.find("OK: Ready for commands.\r\n"), std::string::npos) << c.what;
    }
}

TEST(SimPort, CablePulledMakesThePortVanish) {
    SimConfig config;
    config.faults.cable_pulled_after = 4;
    SimLink link(config);
    EXPECT_EQ(link.send(can_burst()), -1);
    EXPECT_EQ(serial_queued(link.port), -1);
    EXPECT_FALSE(link.unit.connected());
    EXPECT_TRUE(link.noted("cable pulled after 4 bytes"));
    serial_close(link.port);
    EXPECT_EQ(serial_open("sim"), nullptr);
    link.port = nullptr;
}

TEST(SimPort, ListsAndOpensTheSimulatedPortWhileAUnitIsAttached) {
    {
        SimLink link;
        EXPECT_NE(link.port, nullptr);
        EXPECT_EQ(serial_open("sim"), nullptr) << "the port is exclusive";
        ASSERT_EQ(list_serial_ports().size(), 1u);
        EXPECT_EQ(list_serial_ports()[0].description, "Gadget Serial (simulated)");
        sim_ports_set({{"sim", "Other Device"}, {"sim", "Gadget Serial (COM4)"}});
        EXPECT_EQ(list_serial_ports().size(), 2u);
        sim_ports_reset();
    }
    EXPECT_TRUE(list_serial_ports().empty());
    EXPECT_EQ(serial_open("sim"), nullptr);
}
