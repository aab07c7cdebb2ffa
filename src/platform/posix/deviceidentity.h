#pragma once

#include <filesystem>
#include <string>

namespace tremolex {

// The stable names of USB serial devices. udev links each of them in /dev/serial/by-id
// under a name made of its maker, product and serial number, and points the link at
// whatever node (ttyUSB*, ttyACM*) the device has now, which can change when it is plugged
// in again or resets. A device without a link there (a built-in port, a pseudo-terminal,
// a system without udev) has no stable name.
class DeviceIdentity {
public:
    static constexpr const char* kByIdFolder = "/dev/serial/by-id";

    // `folder` holds the links; tests give one of their own.
    explicit DeviceIdentity(std::filesystem::path folder = kByIdFolder)
        : m_folder(std::move(folder)) {}

    // The name of the link that leads to `device` (any path of a device node), "" when none
    // does or the folder cannot be read. Of several links to one device the first by name,
    // so a device is always known by the same one.
    std::string nameOf(const std::filesystem::path& device) const;

    // The device node the link `name` leads to now, links followed to the end; empty when
    // there is no such link (the device is not plugged in), it leads to nothing, or `name`
    // is not a plain name in the folder.
    std::filesystem::path deviceNamed(const std::string& name) const;

    // Where the link `name` is, for telling the user which device is awaited.
    std::filesystem::path link(const std::string& name) const { return m_folder / name; }

private:
    std::filesystem::path m_folder;
};

}  // namespace tremolex
