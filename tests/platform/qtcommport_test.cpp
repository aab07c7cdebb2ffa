#include "platform/qt/qtcommport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QSerialPort>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/portdevice.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using Failure = CommPort::Failure;

// Runs the event loop until `done` holds, for at most five seconds.
class QtCommPortTest : public testing::Test {
protected:
    QtCommPortTest() {
        fs::remove_all(portsDirectory());
        mapAllPortsAway();
        port.setSettings("19200,n,8,1");
        port.setEvents(
            [this] {
                ++comms;
                if (readOnComm) {
                    received += port.input();
                }
            },
            [this] {
                ++losses;
                openWhenLost = port.isOpen();
            });
    }
    ~QtCommPortTest() override { fs::remove_all(portsDirectory()); }

    CommPort::OpenResult openOn(int n, const PseudoTerminal& device) {
        mapPort(n, device.slavePath());
        port.setCommPort(n);
        return port.open();
    }

    // Writes everything while the event loop runs, so the port keeps reading.
    bool send(PseudoTerminal& device, std::string_view text) {
        return waitFor([&] {
            text.remove_prefix(device.write(text));
            return text.empty();
        });
    }

    bool receive(const std::string& expected) {
        waitFor([&] { return received.size() >= expected.size(); });
        return received == expected;
    }

    QtCommPort port;
    std::string received;
    bool readOnComm = true;
    int comms = 0;
    int losses = 0;
    bool openWhenLost = true;
};

// More than the kernel holds for a reader, so it arrives in many pieces.
TEST_F(QtCommPortTest, ReceivesEveryByteThroughAPortsEntry) {
    PseudoTerminal device;
    EXPECT_EQ(port.input(), "");
    const auto result = openOn(255, device);
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(result.device, fs::canonical(device.slavePath()).string());
    EXPECT_EQ(port.input(), "");

    std::string text("512\n1023\r\n\0\xff-7\n", 15);
    for (int i = 0; text.size() < 300'000; ++i) {
        text += std::to_string(i % 1024) + '\n';
    }
    ASSERT_TRUE(send(device, text));
    EXPECT_TRUE(receive(text));
    EXPECT_GT(comms, 1);
}

// Each port is mapped to a working device: opening it anyway would show as success or as
// the device's own complaint. Which settings are bad is the line settings' own table.
TEST_F(QtCommPortTest, RefusesBadNumbersAndSettingsWithoutTouchingTheDevice) {
    const std::pair<int, const char*> cases[] = {
        {0, "19200,n,8,1"}, {-5, "19200,n,8,1"}, {256, "19200,n,8,1"}, {5, "19200,x,8,1"}};
    PseudoTerminal device;
    for (const auto& [number, settings] : cases) {
        port.setSettings(settings);
        const auto result = openOn(number, device);
        EXPECT_EQ(result.failure, Failure::Refused) << number << " " << settings;
        EXPECT_EQ(result.device, "");
        EXPECT_FALSE(port.isOpen());
    }
}

// A missing device, a number that names none, and a device that opens but is no terminal
// (the system's words say why).
TEST_F(QtCommPortTest, DeviceThatIsMissingOrNoTerminalFails) {
    const fs::path missing = portsDirectory() / "absent" / "ttyUSB9";
    mapPort(6, missing);
    mapPort(3, "/dev/null");
    const std::tuple<int, Failure, std::string> cases[] = {{6, Failure::NotFound, missing.string()},
                                                           {13, Failure::NotFound, ""},
                                                           {3, Failure::Other, ""}};
    for (const auto& [number, failure, device] : cases) {
        port.setCommPort(number);
        const auto result = port.open();
        EXPECT_EQ(result.failure, failure) << number;
        if (failure == Failure::NotFound) {
            EXPECT_EQ(result.device, device) << number;
        } else {
            EXPECT_NE(result.detail, "");
        }
        EXPECT_FALSE(port.isOpen()) << number;
    }
}

TEST_F(QtCommPortTest, DeviceHeldByAnotherProgramIsInUse) {
    PseudoTerminal device;
    auto other = std::make_unique<QSerialPort>();
    other->setPortName(QString::fromStdString(device.slavePath()));
    ASSERT_TRUE(other->open(QIODevice::ReadOnly));

    const auto result = openOn(7, device);
    EXPECT_EQ(result.failure, Failure::InUse);
    EXPECT_EQ(result.device, device.slavePath());
    other.reset();
    EXPECT_TRUE(port.open().ok());
}

TEST_F(QtCommPortTest, DeviceTheUserMayNotOpenNamesItsGroup) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens any device";
    }
    PseudoTerminal device;
    ASSERT_EQ(chmod(device.slavePath().c_str(), 0), 0);
    const auto result = openOn(8, device);
    EXPECT_EQ(result.failure, Failure::NoPermission);
    EXPECT_EQ(result.device, device.slavePath());
    EXPECT_NE(result.group, "");
    EXPECT_EQ(result.group, deviceGroup(device.slavePath()));
}

TEST_F(QtCommPortTest, DeviceGoingAwayClosesThePortAndTellsOnceAndItReopens) {
    PseudoTerminal device;
    ASSERT_TRUE(openOn(5, device).ok());
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return losses > 0; }));
    drainEvents();
    EXPECT_EQ(losses, 1);
    EXPECT_FALSE(openWhenLost);
    EXPECT_FALSE(port.isOpen());

    device.reopen();  // plugged in again, under a new name
    ASSERT_TRUE(openOn(5, device).ok());
    ASSERT_TRUE(send(device, "1023\n"));
    EXPECT_TRUE(receive("1023\n"));
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return losses > 1; }));
    drainEvents();
    EXPECT_EQ(losses, 2);
}

// Text that came in just before the device went away is handed over before the loss is
// told, so the capture keeps it; an opening afterwards starts with nothing waiting.
TEST_F(QtCommPortTest, TextThatCameBeforeTheDeviceWentAwayIsHandedOver) {
    readOnComm = false;
    PseudoTerminal device;
    ASSERT_TRUE(openOn(5, device).ok());
    ASSERT_TRUE(send(device, "700\n70"));
    ASSERT_TRUE(waitFor([&] { return comms > 0; }));
    drainEvents();  // in case the bytes came in two pieces
    readOnComm = true;
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return losses > 0; }));
    EXPECT_EQ(received, "700\n70");
    device.reopen();
    ASSERT_TRUE(openOn(5, device).ok());
    EXPECT_EQ(port.input(), "");
}

}  // namespace
}  // namespace tremolex
