// htaws-unit-sim in real time: registration, wake-up over the pseudo-terminal,
// anomalies in its log, clean removal on SIGTERM.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "support/temp_dir.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(5);

bool link_present(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Waits for `done` for at most `patience`, checking every 10 ms.
template <class Done>
bool wait_until(Done done) {
    for (auto end = Clock::now() + patience; Clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (done()) return true;
    return done();
}

// Ends the child for good: SIGTERM, then SIGKILL if it has not gone; its exit status or -1.
int stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    if (wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; }))
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}
}  // namespace

TEST(SimProgram, RegistersGreetsLogsAnomaliesAndUnregistersOnSigterm) {
    TempDir dir;
    std::string link = dir.file("Gadget Serial (simulated)");
    std::string log = dir.file("sim.log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = {HTAWS_UNIT_SIM, "--link", link, "--latency", "5"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, HTAWS_UNIT_SIM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    std::string greeting, refusal;
    if (wait_until([&] { return link_present(link); })) {
        int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        if (fd >= 0) {
            termios t{};
            tcgetattr(fd, &t);
            cfmakeraw(&t);
            tcsetattr(fd, TCSANOW, &t);
            const unsigned char can[8] = {0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18};
            EXPECT_EQ(write(fd, can, sizeof can), 8);
            wait_until([&] {
                char buffer[64];
                ssize_t n = read(fd, buffer, sizeof buffer);
                if (n > 0) greeting.append(buffer, std::size_t(n));
                return greeting.find("\r\n") != std::string::npos;
            });
            EXPECT_EQ(write(fd, "DF\n", 3), 3);
            wait_until([&] {
                char buffer[64];
                ssize_t n = read(fd, buffer, sizeof buffer);
                if (n > 0) refusal.append(buffer, std::size_t(n));
                return refusal.find("\r\n") != std::string::npos;
            });
            close(fd);
        }
    } else {
        ADD_FAILURE() << "no registration at " << link;
    }
    EXPECT_EQ(stop(pid), 0);
    EXPECT_EQ(greeting, "OK: Ready for commands.\r\n");
    EXPECT_FALSE(link_present(link));
    EXPECT_EQ(refusal, "NO: line ended by LF alone\r\n");
    const std::string transcript = read_whole_file(log);
    EXPECT_NE(transcript.find("> <CAN x8>"), std::string::npos);
    EXPECT_NE(transcript.find(" ! line ended by LF alone\n"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("stopped, 1 anomalies"), std::string::npos) << transcript;
}
