#include "platform/posix/deviceidentity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/configdir.h"

namespace tremolex {

namespace fs = std::filesystem;

// A stand-in for /dev: nodes as plain files, and a by-id folder of links to them.
class DeviceIdentityTest : public testing::Test {
protected:
    DeviceIdentityTest() {
        fs::remove_all(dev);
        fs::create_directories(dev / "serial" / "by-id");
        for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0"}) {
            std::ofstream{dev / node};
        }
        link("usb-Maker_Adapter_123-if00-port0", "../../ttyUSB1");
        link("usb-Maker_Twin_9-if00", "../../ttyACM0");  // two names for one device:
        link("usb-Maker_Twin_1-if00", dev / "ttyACM0");  // the first by name counts
        link("usb-Unplugged_7-if00", "../../ttyUSB5");
        link("usb-Loop-if00", "usb-Loop-if00");
        std::ofstream{byId / "usb-Not_A_Link"};
        fs::create_symlink(dev / "ttyUSB1", dev / "alias");
    }

    void link(const std::string& name, const fs::path& target) {
        fs::create_symlink(target, byId / name);
    }

    const fs::path dev = userConfigDirectory() / "dev";
    const fs::path byId = dev / "serial" / "by-id";
    const DeviceIdentity identity{byId};
};

TEST_F(DeviceIdentityTest, DeviceIsKnownByTheLinkThatLeadsToIt) {
    const std::pair<fs::path, std::string> cases[] = {
        {dev / "ttyUSB1", "usb-Maker_Adapter_123-if00-port0"},
        {dev / "alias", "usb-Maker_Adapter_123-if00-port0"},  // any path of the node
        {dev / "serial" / ".." / "ttyUSB1", "usb-Maker_Adapter_123-if00-port0"},
        {dev / "ttyACM0", "usb-Maker_Twin_1-if00"},
        {dev / "ttyUSB0", ""},  // no link
        {dev / "ttyS0", ""},
        {dev / "ttyUSB5", ""},  // absent, though a link dangles towards it
        {byId / "usb-Not_A_Link", ""},
    };
    for (const auto& [device, name] : cases) {
        EXPECT_EQ(identity.nameOf(device), name) << device;
    }
    EXPECT_EQ(DeviceIdentity(dev / "absent").nameOf(dev / "ttyUSB1"), "");
}

TEST_F(DeviceIdentityTest, NameLeadsToTheNodeItPointsToNow) {
    const fs::path usb1 = fs::canonical(dev / "ttyUSB1");
    const std::pair<std::string, fs::path> cases[] = {
        {"usb-Maker_Adapter_123-if00-port0", usb1},
        {"usb-Maker_Twin_9-if00", fs::canonical(dev / "ttyACM0")},
        {"usb-Unplugged_7-if00", ""},  // the link outlived its device
        {"usb-Loop-if00", ""},
        {"usb-Not_A_Link", ""},
        {"", ""},
        {"..", ""},
        {"../by-id/usb-Maker_Adapter_123-if00-port0", ""},  // only names in the folder
    };
    for (const auto& [name, device] : cases) {
        EXPECT_EQ(identity.deviceNamed(name), device) << name;
    }
    EXPECT_EQ(identity.link("usb-X"), byId / "usb-X");

    // Plugged in again under another node: the same name leads there.
    fs::remove(byId / "usb-Maker_Adapter_123-if00-port0");
    link("usb-Maker_Adapter_123-if00-port0", "../../ttyUSB0");
    EXPECT_EQ(identity.deviceNamed("usb-Maker_Adapter_123-if00-port0"),
              fs::canonical(dev / "ttyUSB0"));
}

}  // namespace tremolex
