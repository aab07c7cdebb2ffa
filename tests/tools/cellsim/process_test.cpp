// The real cellsim program, run in this test's own config folder.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/posix/portdevice.h"
#include "support/childprocess.h"

namespace tremolex::cellsim {
namespace {

namespace fs = std::filesystem;

fs::path entry(int port) {
    return portsDirectory() / ("com" + std::to_string(port));
}

// Reads the port as the program does, until `lines` lines came or the line hung up; then
// "hung up" ends the text.
std::string readPort(int port, long lines) {
    std::string text;
    const int fd = ::open(entry(port).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    bool hungUp = fd < 0;
    eventually([&] {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        hungUp = hungUp || n == 0 || (n < 0 && errno != EAGAIN);
        text.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        return hungUp || std::ranges::count(text, '\n') >= lines;
    });
    ::close(fd);
    return hungUp ? text + "hung up" : text;
}

struct CellsimProcess : testing::Test {
    CellsimProcess() { fs::remove_all(portsDirectory()); }
};

class StopSignal : public CellsimProcess, public testing::WithParamInterface<int> {};

// Automatic: the highest of 1..12 without an entry, also a dangling one.
TEST_P(StopSignal, RemovesTheLinkItMade) {
    fs::create_directories(portsDirectory());
    fs::create_symlink("/dev/ttyUSB0", entry(12));
    fs::create_symlink("/absent", entry(11));
    ChildProcess process({CELLSIM_PATH, "--port", "auto", "--profile", "ramp", "--speed", "1000"});
    ASSERT_EQ(process.readLine(), "10");  // once the link is there
    EXPECT_TRUE(readPort(10, 5).starts_with("0\n1\n2\n3\n4\n"));
    process.signal(GetParam());
    EXPECT_EQ(process.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(10))));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// Makes the ports folder too. Closing the terminal throws away what was not read yet: the
// last readings must reach the program before the device goes.
TEST_F(CellsimProcess, DeliversEveryReadingOfACountThenEnds) {
    ChildProcess process(
        {CELLSIM_PATH, "--port", "9", "--profile", "ramp", "--speed", "1000", "--count", "300"});
    ASSERT_EQ(process.readLine(), "9");
    std::string ramp;  // its count is the second since the start
    for (int count = 0; count < 300; ++count) {
        ramp += std::to_string(count) + "\n";
    }
    EXPECT_EQ(readPort(9, 301), ramp + "hung up");
    EXPECT_EQ(process.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(9))));
}

TEST_F(CellsimProcess, RefusalsSayWhyAndTouchNoEntry) {
    fs::create_directories(portsDirectory());
    for (int n = 1; n <= 12; ++n) {
        fs::create_symlink(n == 4 ? "/dev/serial/by-id/usb-logger" : "/absent", entry(n));
    }
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{CELLSIM_PATH, "--port", "4"}, 3, "port 4 is taken"},
        {{CELLSIM_PATH, "--port", "auto"}, 3, "no free port"},
        {{CELLSIM_PATH, "--port", "13", "--speed", "fast"}, 2, "--speed"}};
    for (const auto& [arguments, status, says] : cases) {
        ChildProcess process(arguments);
        EXPECT_EQ(process.wait(), status) << says;
        EXPECT_NE(process.errors().find(says), std::string::npos);
    }
    EXPECT_EQ(fs::read_symlink(entry(4)), "/dev/serial/by-id/usb-logger");
    EXPECT_EQ(std::distance(fs::directory_iterator(portsDirectory()), {}), 12);
}

}  // namespace
}  // namespace tremolex::cellsim
