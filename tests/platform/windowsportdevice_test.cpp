#include <gtest/gtest.h>

#include <iterator>

#include "platform/windows/portdevice.h"

namespace tremolex {
namespace {

TEST(WindowsPortDevice, PortNIsComNWithTheDeviceNamespaceFromCom10On) {
    const int ports[] = {1, 9, 10, 255, 0, 256};
    const char* const names[] = {"COM1", "COM9", "COM10", "COM255", "", ""};
    const char* const paths[] = {"COM1", "COM9", "\\\\.\\COM10", "\\\\.\\COM255", "", ""};
    for (std::size_t i = 0; i < std::size(ports); ++i) {
        const PortDevice device = portDevice(ports[i]);
        EXPECT_EQ(device.name, names[i]) << ports[i];
        EXPECT_EQ(device.path, paths[i]) << ports[i];
        EXPECT_TRUE(!device.name.empty() || !device.present) << ports[i];
    }
}

}  // namespace
}  // namespace tremolex
