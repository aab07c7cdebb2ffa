#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tremolex::cellsim {

// The device's end of a pseudo-terminal (the master side). The other end, devicePath(), is
// what a program opens as its serial port; the line is raw, so bytes arrive as written.
// Nothing here blocks.
class DeviceTerminal {
public:
    DeviceTerminal() = default;
    ~DeviceTerminal() { close(); }
    DeviceTerminal(const DeviceTerminal&) = delete;
    DeviceTerminal& operator=(const DeviceTerminal&) = delete;

    // A new pseudo-terminal; false with error() set when none can be had.
    bool open();
    // The device goes away: a program reading it sees the line hang up.
    void close();

    bool isOpen() const { return m_master >= 0; }
    int fd() const { return m_master; }
    const std::string& devicePath() const { return m_devicePath; }
    const std::string& error() const { return m_error; }

    // Whether some program has the port open now.
    bool readerPresent() const;

    // Bytes not yet read by the program, -1 when that cannot be told.
    int unread() const;

    // Writes what the kernel takes now: the number of bytes taken, 0 when it takes none,
    // -1 on a failure.
    ssize_t write(std::string_view bytes);

    // Drops whatever the program wrote to the device, so it cannot fill up and stall.
    void discardInput();

private:
    int m_master = -1;
    std::string m_devicePath;
    std::string m_error;
};

}  // namespace tremolex::cellsim
