#include "platform/qt/qtcommport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSerialPort>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "platform/posix/portdevice.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using Failure = CommPort::Failure;

class QtCommPortTest : public testing::Test {
protected:
    QtCommPortTest() {
        fs::remove_all(portsDirectory());
        mapAllPortsAway();
        port.setSettings("19200,n,8,1");
        port.setEvents(
            [this] {
                ++comms;
                received += readOnComm ? port.input() : "";
            },
            [this] {
                ++losses;
                openWhenLost = port.isOpen();
            });
    }

    CommPort::OpenResult openOn(int n) {
        mapPort(n, device.slavePath());
        port.setCommPort(n);
        return port.open();
    }

    PseudoTerminal device;
    QtCommPort port;
    std::string received;
    bool readOnComm = true;
    int comms = 0;
    int losses = 0;
    bool openWhenLost = true;
};

// Every byte value comes through as it is. (The receive path's own tests send megabytes.)
TEST_F(QtCommPortTest, ReceivesEveryByteThroughAPortsEntry) {
    EXPECT_EQ(port.input(), "");
    const auto result = openOn(255);
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(result.device, fs::canonical(device.slavePath()).string());
    const std::string text("512\n1023\r\n\0\xff-7\n", 15);
    ASSERT_TRUE(sendAll(device, text));
    EXPECT_TRUE(waitFor([&] { return received.size() >= text.size(); }));
    EXPECT_EQ(received, text);
}

// Bad numbers and settings are refused without touching the device, a working one that
// would open; a device that is missing or no terminal fails, the system's words saying why.
TEST_F(QtCommPortTest, OpeningFailsForBadNumbersAndSettingsAndMissingOrOddDevices) {
    const fs::path missing = portsDirectory() / "absent" / "ttyUSB9";
    for (const int n : {0, 256, 5}) {
        mapPort(n, device.slavePath());
    }
    mapPort(6, missing);
    mapPort(3, "/dev/null");
    port.setSettings("19200,x,8,1");
    EXPECT_EQ(openOn(5).failure, Failure::Refused);
    port.setSettings("19200,n,8,1");
    const std::tuple<int, Failure, std::string> cases[] = {{0, Failure::Refused, ""},
                                                           {256, Failure::Refused, ""},
                                                           {6, Failure::NotFound, missing.string()},
                                                           {13, Failure::NotFound, ""},
                                                           {3, Failure::Other, "/dev/null"}};
    for (const auto& [number, failure, path] : cases) {
        port.setCommPort(number);
        const auto result = port.open();
        EXPECT_EQ(result.failure, failure) << number;
        EXPECT_EQ(result.device, path) << number;
        EXPECT_EQ(result.detail.empty(), failure != Failure::Other) << number;
        EXPECT_FALSE(port.isOpen()) << number;
    }
}

// Qt says "permission error" for both: the device node's permissions tell them apart.
TEST_F(QtCommPortTest, DeviceHeldByAnotherProgramIsInUseOneTheUserMayNotOpenNamesItsGroup) {
    auto other = std::make_unique<QSerialPort>(QString::fromStdString(device.slavePath()));
    ASSERT_TRUE(other->open(QIODevice::ReadOnly));
    auto result = openOn(7);
    EXPECT_EQ(result.failure, Failure::InUse);
    EXPECT_EQ(result.device, device.slavePath());
    other.reset();
    EXPECT_TRUE(port.open().ok());
    port.close();
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens any device";
    }
    ASSERT_EQ(chmod(device.slavePath().c_str(), 0), 0);
    result = port.open();
    EXPECT_EQ(result.failure, Failure::NoPermission);
    EXPECT_EQ(result.device, device.slavePath());
    EXPECT_NE(result.group, "");
    EXPECT_EQ(result.group, deviceGroup(device.slavePath()));
}

// Text that came in just before the device went away is handed over before the loss is
// told, so the capture keeps it; the port is closed by then, and an opening afterwards
// starts with nothing waiting. (The receive path's own tests take it away and back often.)
TEST_F(QtCommPortTest, DeviceGoingAwayHandsOverWhatCameAndClosesThePort) {
    readOnComm = false;
    ASSERT_TRUE(openOn(5).ok());
    ASSERT_TRUE(sendAll(device, "700\n70"));
    ASSERT_TRUE(waitFor([&] { return comms > 0; }));
    drainEvents();  // in case the bytes came in two pieces
    readOnComm = true;
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return losses > 0; }));
    EXPECT_EQ(received, "700\n70");
    EXPECT_FALSE(openWhenLost);
    EXPECT_FALSE(port.isOpen());
    device.reopen();  // plugged in again, under a new name
    ASSERT_TRUE(openOn(5).ok());
    EXPECT_EQ(port.input(), "");
}

}  // namespace
}  // namespace tremolex
