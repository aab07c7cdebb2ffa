#include "platform/posix/portdevice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/configdir.h"
#include "support/pseudoterminal.h"

namespace tremolex {

namespace fs = std::filesystem;

// Without an entry a number names a device by the table; an entry decides even when its
// target is missing or the folder cannot be read: never the table's device then. Links are
// followed to the end, so every name of a device gives one lock file.
TEST(PortDevice, NumbersNameTheTablesDeviceUnlessAnEntryDecides) {
    fs::remove_all(portsDirectory());
    const char* const table[] = {"/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyS2",   "/dev/ttyS3",
                                 "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3",
                                 "/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM3"};
    for (int port = 0; port <= 13; ++port) {
        const std::string device = port >= 1 && port <= 12 ? table[port - 1] : "";
        EXPECT_EQ(portDevice(port).path, device) << port;
        EXPECT_EQ(portDevice(port).present, !device.empty() && fs::exists(device)) << port;
    }

    const fs::path devices = userConfigDirectory() / "devices";
    fs::remove_all(devices);
    fs::create_directories(devices / "by-id");
    std::ofstream{devices / "ttyUSB7"};
    fs::create_symlink("../ttyUSB7", devices / "by-id" / "usb-Maker_Logger-if00");
    fs::create_symlink("../ttyACM9", devices / "by-id" / "usb-Gone");
    fs::create_symlink("loopB", devices / "loopA");
    fs::create_symlink("loopA", devices / "loopB");
    mapPort(5, devices / "by-id" / "usb-Maker_Logger-if00");
    mapPort(200, "../../devices/ttyUSB7");  // relative to the ports folder, not the working one
    mapPort(7, devices / "by-id" / "usb-Gone");
    mapPort(2, devices / "loopA");
    const fs::path device = fs::canonical(devices / "ttyUSB7"), gone = devices / "ttyACM9";
    const std::pair<int, fs::path> cases[] = {{5, device}, {200, device}, {7, gone}};
    for (const auto& [port, path] : cases) {
        EXPECT_EQ(portDevice(port).path, path) << port;
        EXPECT_EQ(portDevice(port).present, path == device) << port;
    }
    EXPECT_FALSE(portDevice(2).present);  // a loop of links
    EXPECT_NE(portDevice(2).path, "/dev/ttyS1");
    std::ofstream{gone};  // plugged in
    EXPECT_TRUE(portDevice(7).present);
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any folder";
    }
    fs::permissions(portsDirectory(), fs::perms::none);
    EXPECT_FALSE(portDevice(5).present);
    EXPECT_NE(portDevice(5).path, "/dev/ttyUSB0");
    fs::permissions(portsDirectory(), fs::perms::owner_all);  // so it can be removed
}

}  // namespace tremolex
