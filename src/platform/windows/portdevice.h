#pragma once

#include <string>

namespace tremolex {

// The device a port number stands for on this machine.
struct PortDevice {
    std::string name;      // "COM<n>", as the user knows the port; empty when n names none
    std::string path;      // what CreateFile opens
    bool present = false;  // the system knows the device now
};

// Port n is COMn, for n in 1..255; other numbers name no device. Only COM1..COM9 are
// reserved names that CreateFile opens as they are: from COM10 on, the path must be the
// device namespace form \\.\COMn. `present` asks the system whether the device exists
// (plugged in, its driver loaded) without opening it.
PortDevice portDevice(int port);

}  // namespace tremolex
