// The real cellsim program, run in this test's own config folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/portdevice.h"

extern char** environ;

namespace tremolex::cellsim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kLimit = 10s;  // generous: sanitizers and a busy machine are slow

template <typename Condition>
bool eventually(Condition done) {
    const auto deadline = Clock::now() + kLimit;
    while (!done() && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

// A running cellsim, killed and reaped at the end if it still runs.
class Cellsim {
public:
    explicit Cellsim(std::vector<std::string> arguments) {
        int out[2], err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC) | pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        arguments.insert(arguments.begin(), CELLSIM_PATH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, CELLSIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Cellsim() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }

    // The port number it prints once its link is there.
    std::optional<int> port() {
        std::string text;
        pollfd entry{m_out, POLLIN, 0};
        char c = 0;
        while (::poll(&entry, 1, 10000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n') {
            text += c;
        }
        return c == '\n' ? std::optional(std::stoi(text)) : std::nullopt;
    }

    void signal(int number) { ::kill(m_pid, number); }

    // The exit status; nothing when it still runs after the limit.
    std::optional<int> exitStatus() {
        const auto reaped = [&] {
            if (m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_pid = -1;
            }
            return m_pid < 0;
        };
        if (!eventually(reaped)) {
            return std::nullopt;
        }
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : 128 + WTERMSIG(m_status);
    }

    // Its standard error; only once it has ended.
    std::string errors() {
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(m_err, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

private:
    pid_t m_pid = -1;  // -1 once reaped
    int m_status = 0;
    int m_out = -1;
    int m_err = -1;
};

fs::path entry(int port) {
    return portsDirectory() / ("com" + std::to_string(port));
}

struct Received {
    std::string text;
    bool hungUp = false;
};

// Reads the port as the program does, until `lines` lines came or the line hung up.
Received readPort(int port, long lines) {
    Received received;
    const int fd = ::open(entry(port).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    received.hungUp = fd < 0;
    const auto deadline = Clock::now() + kLimit;
    while (!received.hungUp && std::ranges::count(received.text, '\n') < lines &&
           Clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        ::poll(&entry, 1, 100);
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        received.hungUp = n == 0 || (n < 0 && errno != EAGAIN);
        received.text.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fd);
    return received;
}

std::string ramp(int from, int to) {
    std::string text;
    for (int count = from; count < to; ++count) {
        text += std::to_string(count) + "\n";
    }
    return text;
}

class CellsimProcess : public testing::Test {
protected:
    CellsimProcess() { fs::remove_all(portsDirectory()); }
    ~CellsimProcess() override { fs::remove_all(portsDirectory()); }
};

class StopSignal : public CellsimProcess, public testing::WithParamInterface<int> {};

TEST_P(StopSignal, RemovesTheLinkItMade) {
    Cellsim cellsim({"--port", "auto", "--profile", "ramp", "--speed", "1000"});
    ASSERT_EQ(cellsim.port(), 12);
    EXPECT_TRUE(readPort(12, 5).text.starts_with(ramp(0, 5)));
    cellsim.signal(GetParam());
    EXPECT_EQ(cellsim.exitStatus(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(12))));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// Closing the terminal throws away what was not read yet: the last readings must reach the
// program before the device goes.
TEST_F(CellsimProcess, DeliversEveryReadingOfACountThenEnds) {
    Cellsim cellsim({"--port", "9", "--profile", "ramp", "--speed", "1000", "--count", "300"});
    ASSERT_EQ(cellsim.port(), 9);
    const Received received = readPort(9, 301);
    EXPECT_EQ(received.text, ramp(0, 300));
    EXPECT_TRUE(received.hungUp);
    EXPECT_EQ(cellsim.exitStatus(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(9))));
}

TEST_F(CellsimProcess, RefusesAPortThatIsTakenAndLeavesItsEntryAlone) {
    fs::create_directories(portsDirectory());
    fs::create_symlink("/dev/serial/by-id/usb-logger", entry(4));
    Cellsim cellsim({"--port", "4"});
    EXPECT_EQ(cellsim.exitStatus(), 3);
    EXPECT_NE(cellsim.errors().find("port 4 is taken"), std::string::npos);
    EXPECT_EQ(fs::read_symlink(entry(4)), "/dev/serial/by-id/usb-logger");
}

TEST_F(CellsimProcess, ComesBackOnTheSamePortAfterADisconnect) {
    Cellsim cellsim({"--port", "6", "--profile", "ramp", "--speed", "1000", "--count", "9",
                     "--disconnect-after", "3", "--pause", "0.2"});
    ASSERT_EQ(cellsim.port(), 6);
    std::string all;
    // Like the program: opens the port again and again until the device answers.
    EXPECT_TRUE(eventually([&] {
        all += readPort(6, 9).text;
        return std::ranges::count(all, '\n') >= 9;
    }));
    EXPECT_EQ(all, ramp(0, 9));
    EXPECT_EQ(cellsim.exitStatus(), 0);
}

// A /dev/pts name left in the link could soon be someone's shell.
TEST_F(CellsimProcess, WhileAwayTheLinkLeadsNowhere) {
    Cellsim cellsim(
        {"--port", "6", "--disconnect-after", "2", "--pause", "600", "--speed", "1000"});
    ASSERT_EQ(cellsim.port(), 6);
    const fs::path device = fs::canonical(entry(6));
    EXPECT_TRUE(readPort(6, 3).hungUp);
    EXPECT_TRUE(eventually([&] {
        std::error_code missing;  // for a moment while the link is changed
        const fs::path target = fs::read_symlink(entry(6), missing);
        return !missing && target != device;
    }));
    EXPECT_FALSE(fs::exists(entry(6)));
    cellsim.signal(SIGTERM);
    EXPECT_EQ(cellsim.exitStatus(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(6))));
}

TEST_F(CellsimProcess, BadCommandLineExitsWithTwo) {
    Cellsim cellsim({"--speed", "fast"});
    EXPECT_EQ(cellsim.exitStatus(), 2);
    EXPECT_NE(cellsim.errors().find("--speed"), std::string::npos);
    EXPECT_FALSE(fs::exists(portsDirectory()));
}

}  // namespace
}  // namespace tremolex::cellsim
