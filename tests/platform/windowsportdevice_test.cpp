#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/windows/portdevice.h"

namespace tremolex {

TEST(WindowsPortDevice, PortNIsComNWithTheDeviceNamespaceFromCom10On) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {0, "", ""},   {1, "COM1", "COM1"},           {9, "COM9", "COM9"},
        {256, "", ""}, {10, "COM10", "\\\\.\\COM10"}, {255, "COM255", "\\\\.\\COM255"}};
    for (const auto& [port, name, path] : cases) {
        const PortDevice device = portDevice(port);
        EXPECT_EQ(std::tie(device.name, device.path), std::tie(name, path)) << port;
        EXPECT_TRUE(!name.empty() || !device.present) << port;
    }
}

}  // namespace tremolex
