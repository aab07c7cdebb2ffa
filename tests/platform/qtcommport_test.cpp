#include "platform/qt/qtcommport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSerialPort>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "platform/posix/portdevice.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {

namespace fs = std::filesystem;
using Failure = CommPort::Failure;

// Bad numbers and settings are refused without touching the device, a working one that
// would open. A device that is missing fails; one that is no terminal fails in the
// system's words. Qt says "permission error" both for a device another program holds and
// for one the user may not open: the device node's permissions tell them apart.
TEST(QtCommPort, OpeningFailsSayingWhy) {
    PseudoTerminal device;
    QtCommPort port;
    mapAllPortsAway();
    const fs::path missing = fs::read_symlink(portsDirectory() / "com6");  // mapAllPortsAway
    for (const int n : {0, 256, 7}) {
        mapPort(n, device.slavePath());
    }
    mapPort(3, "/dev/null");
    port.setSettings("19200,x,8,1");
    port.setCommPort(7);
    EXPECT_EQ(port.open().failure, Failure::Refused);
    port.setSettings("19200,n,8,1");
    QSerialPort other(QString::fromStdString(device.slavePath()));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    const std::tuple<int, Failure, std::string> cases[] = {
        {0, Failure::Refused, ""},        {256, Failure::Refused, ""},
        {6, Failure::NotFound, missing},  {13, Failure::NotFound, ""},
        {3, Failure::Other, "/dev/null"}, {7, Failure::InUse, device.slavePath()}};
    for (const auto& [number, failure, path] : cases) {
        port.setCommPort(number);
        const auto result = port.open();
        EXPECT_EQ(std::tuple(result.failure, result.device, result.detail.empty(), port.isOpen()),
                  std::tuple(failure, path, failure != Failure::Other, false))
            << number;
    }
    other.close();
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens any device";
    }
    ASSERT_EQ(chmod(device.slavePath().c_str(), 0), 0);
    const auto result = port.open();
    EXPECT_EQ(result.failure, Failure::NoPermission);
    EXPECT_NE(result.group, "");
    EXPECT_EQ(result.group, deviceGroup(device.slavePath()));
}

// Every byte comes through as it is, also text that came in just before the device went
// away: it is handed over before the loss is told, so the capture keeps it, and the port
// is closed by then. (The receive path's own tests take the device away and back often.)
TEST(QtCommPort, DeviceGoingAwayHandsOverWhatCameAndClosesThePort) {
    PseudoTerminal device;
    QtCommPort port;
    port.setSettings("19200,n,8,1");
    mapPort(255, device.slavePath());
    port.setCommPort(255);
    const auto result = port.open();
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(result.device, fs::canonical(device.slavePath()).string());
    int comms = 0;
    port.setEvents([&] { ++comms; }, {});  // nothing is taken until the device goes away
    const std::string text("512\n1023\r\n\0\xff-7\n70", 17);
    ASSERT_TRUE(sendAll(device, text));
    ASSERT_TRUE(waitFor([&] { return comms > 0; }));
    drainEvents();  // in case the bytes came in two pieces
    std::string received;
    std::optional<bool> openWhenLost;
    port.setEvents([&] { received += port.input(); }, [&] { openWhenLost = port.isOpen(); });
    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return openWhenLost.has_value(); }));
    EXPECT_EQ(received, text);
    EXPECT_EQ(openWhenLost, false);
}

}  // namespace tremolex
