#include <gtest/gtest.h>

#include "platform/windows/portdevice.h"

namespace tremolex {
namespace {

TEST(WindowsPortDevice, PortNIsComNWithTheDeviceNamespaceFromCom10On) {
    const struct {
        int port;
        const char* name;
        const char* path;
    } cases[] = {{1, "COM1", "COM1"},
                 {9, "COM9", "COM9"},
                 {10, "COM10", "\\\\.\\COM10"},
                 {255, "COM255", "\\\\.\\COM255"},
                 {0, "", ""},
                 {256, "", ""}};
    for (const auto& c : cases) {
        const PortDevice device = portDevice(c.port);
        EXPECT_EQ(device.name, c.name) << c.port;
        EXPECT_EQ(device.path, c.path) << c.port;
        EXPECT_TRUE(!device.name.empty() || !device.present) << c.port;
    }
}

}  // namespace
}  // namespace tremolex
