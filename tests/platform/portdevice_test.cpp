#include "platform/posix/portdevice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/posix/configdir.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

class PortDeviceTest : public testing::Test {
protected:
    PortDeviceTest() {
        fs::remove_all(portsDirectory());
        fs::remove_all(devices);
        fs::create_directories(devices / "by-id");
        std::ofstream{devices / "ttyUSB7"};
    }

    fs::path devices = userConfigDirectory() / "devices";
};

TEST_F(PortDeviceTest, NumbersWithoutAnEntry) {
    const std::pair<int, const char*> cases[] = {{1, "/dev/ttyS0"},
                                                 {4, "/dev/ttyS3"},
                                                 {5, "/dev/ttyUSB0"},
                                                 {8, "/dev/ttyUSB3"},
                                                 {9, "/dev/ttyACM0"},
                                                 {12, "/dev/ttyACM3"},
                                                 {13, ""},
                                                 {0, ""}};
    for (const auto& [port, device] : cases) {
        const PortDevice found = portDevice(port);
        EXPECT_EQ(found.path, device) << port;
        EXPECT_EQ(found.present, *device != '\0' && fs::exists(device)) << port;
    }
}

// An entry decides even when its target is missing: never the default device then. Links
// are followed to the end, so every name of a device gives one lock file.
TEST_F(PortDeviceTest, AnEntryNamesTheDeviceAtTheEndOfItsLinks) {
    fs::create_symlink("../ttyUSB7", devices / "by-id" / "usb-Maker_Logger-if00");
    fs::create_symlink("../ttyACM9", devices / "by-id" / "usb-Gone");
    fs::create_symlink("loopB", devices / "loopA");
    fs::create_symlink("loopA", devices / "loopB");
    mapPort(5, devices / "by-id" / "usb-Maker_Logger-if00");
    mapPort(200, "../../devices/ttyUSB7");  // relative to the ports folder, not the working one
    mapPort(1, devices / "ttyACM9");
    mapPort(7, devices / "by-id" / "usb-Gone");
    mapPort(2, devices / "loopA");
    const fs::path device = fs::canonical(devices / "ttyUSB7");
    const std::tuple<int, fs::path, bool> cases[] = {{5, device, true},
                                                     {200, device, true},
                                                     {1, devices / "ttyACM9", false},
                                                     {7, devices / "ttyACM9", false}};
    for (const auto& [port, path, present] : cases) {
        EXPECT_EQ(portDevice(port).path, path) << port;
        EXPECT_EQ(portDevice(port).present, present) << port;
    }
    EXPECT_FALSE(portDevice(2).present);  // a loop of links
    EXPECT_NE(portDevice(2).path, "/dev/ttyS1");
    std::ofstream{devices / "ttyACM9"};  // plugged in
    EXPECT_TRUE(portDevice(1).present);
}

TEST_F(PortDeviceTest, AnUnreadablePortsFolderNamesNoDefaultDevice) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any folder";
    }
    mapPort(2, devices / "ttyUSB7");
    fs::permissions(portsDirectory(), fs::perms::none);
    EXPECT_NE(portDevice(2).path, "/dev/ttyS1");
    EXPECT_FALSE(portDevice(2).present);
    fs::permissions(portsDirectory(), fs::perms::owner_all);  // so it can be removed
}

}  // namespace
}  // namespace tremolex
