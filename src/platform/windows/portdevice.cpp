#include "platform/windows/portdevice.h"

#include <windows.h>

#include <array>

#include "platform/commport.h"
#include "platform/windows/widetext.h"

namespace tremolex {

namespace {
constexpr int kHighestReservedName = 9;
}  // namespace

PortDevice portDevice(int port) {
    if (port < 1 || port > CommPort::kHighestPort) {
        return {};
    }
    PortDevice device;
    device.name = "COM";
    device.name += std::to_string(port);
    if (port > kHighestReservedName) {
        device.path = "\\\\.\\";
    }
    device.path += device.name;
    // The DOS device name exists exactly while the port's driver offers the device.
    std::array<wchar_t, 512> target{};
    device.present = QueryDosDeviceW(toWide(device.name).c_str(), target.data(),
                                     static_cast<DWORD>(target.size())) != 0 ||
                     GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    return device;
}

}  // namespace tremolex
