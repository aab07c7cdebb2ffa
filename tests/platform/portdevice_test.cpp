#include "platform/posix/portdevice.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
    ~PortDeviceTest() override {
        std::error_code ignored;
        fs::permissions(portsDirectory(), fs::perms::owner_all, ignored);
        fs::remove_all(portsDirectory(), ignored);
        fs::remove_all(devices, ignored);
    }

    fs::path devices = userConfigDirectory() / "devices";
};

TEST_F(PortDeviceTest, NumbersWithoutAnEntry) {
    const std::pair<int, const char*> cases[] = {
        {1, "/dev/ttyS0"},
        {4, "/dev/ttyS3"},
        {5, "/dev/ttyUSB0"},
        {8, "/dev/ttyUSB3"},
        {9, "/dev/ttyACM0"},
        {12, "/dev/ttyACM3"},
        {13, ""},
        {0, ""},
        {-1, ""},
        {256, ""},
    };
    for (const auto& [port, device] : cases) {
        const PortDevice found = portDevice(port);
        EXPECT_EQ(found.path, device) << port;
        EXPECT_EQ(found.present, *device != '\0' && fs::exists(device)) << port;
    }
}

// Links are followed to the end: every name of a device must give one lock file.
TEST_F(PortDeviceTest, AnEntryNamesTheDeviceAtTheEndOfItsLinks) {
    const fs::path device = fs::canonical(devices / "ttyUSB7");
    fs::create_symlink("../ttyUSB7", devices / "by-id" / "usb-Maker_Logger-if00");
    mapPort(5, devices / "by-id" / "usb-Maker_Logger-if00");
    mapPort(200, "../../devices/ttyUSB7");  // relative to the ports folder, not the working one
    for (const int port : {5, 200}) {
        EXPECT_EQ(portDevice(port).path, device) << port;
        EXPECT_TRUE(portDevice(port).present) << port;
    }
}

TEST_F(PortDeviceTest, AnEntryWhoseTargetIsMissingStillDecides) {
    const fs::path missing = devices / "ttyACM9";
    mapPort(1, missing);  // must not fall back to /dev/ttyS0
    fs::create_symlink("../ttyACM9", devices / "by-id" / "usb-Gone");
    mapPort(7, devices / "by-id" / "usb-Gone");
    for (const int port : {1, 7}) {
        EXPECT_EQ(portDevice(port).path, missing) << port;
        EXPECT_FALSE(portDevice(port).present) << port;
    }
    std::ofstream{missing};  // plugged in
    EXPECT_TRUE(portDevice(1).present);

    fs::create_symlink("loopB", devices / "loopA");
    fs::create_symlink("loopA", devices / "loopB");
    mapPort(2, devices / "loopA");
    EXPECT_FALSE(portDevice(2).present);
    EXPECT_NE(portDevice(2).path, "/dev/ttyS1");
}

TEST_F(PortDeviceTest, AnUnreadablePortsFolderNamesNoDefaultDevice) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any folder";
    }
    mapPort(2, devices / "ttyUSB7");
    fs::permissions(portsDirectory(), fs::perms::none);
    EXPECT_NE(portDevice(2).path, "/dev/ttyS1");
    EXPECT_FALSE(portDevice(2).present);
}

}  // namespace
}  // namespace tremolex
