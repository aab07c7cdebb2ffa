#pragma once

#include <filesystem>
#include <string>

namespace tremolex {

// The device a port number stands for on this machine.
struct PortDevice {
    std::filesystem::path path;  // empty when the number names no device
    bool present = false;        // the device exists now
};

// <config dir>/Bramwick Tremolex/ports. The program only reads it.
std::filesystem::path portsDirectory();

// Port n is the entry "com<n>" in the ports folder when there is one, normally a symbolic
// link to a device; the entry decides even when its target is missing (then the target
// is reported, not present). Links are followed to the end, so the path is the device
// node's own and every name of a device shares one lock file. Without an entry:
// 1..4 are /dev/ttyS0..3, 5..8 /dev/ttyUSB0..3, 9..12 /dev/ttyACM0..3; other numbers, and
// numbers below 1, name no device.
PortDevice portDevice(int port);

// The name of the group that owns the device node; its number when the group has no name,
// "" when the node cannot be examined.
std::string deviceGroup(const std::filesystem::path& device);

// Whether the open terminal `fd` was hung up: its device went away (unplugged, or the
// other side of a pseudo-terminal closed).
bool hungUp(int fd);

// Whether this process may read the device node, by its permission bits and groups.
bool mayRead(const std::filesystem::path& device);

}  // namespace tremolex
