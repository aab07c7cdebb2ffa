#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tremolex {

// The serial port the measuring device is on: a number (1..12 in normal use) and line
// settings, opened and closed on request. Everything runs on the user-interface thread;
// nothing blocks. The program only receives; it never writes to the port.
class CommPort {
public:
    // Why an opening failed.
    enum class Failure {
        None,
        NotFound,      // no such device (unplugged, or the port number names nothing)
        InUse,         // another program holds the device
        NoPermission,  // the user may not open the device
        Refused,       // the port number or the settings text cannot be used
        Other,
    };

    struct OpenResult {
        Failure failure = Failure::None;
        std::string device;  // the device the number stands for, "" when there is none
        std::string group;   // NoPermission: the group that owns the device, if known
        std::string detail;  // the system's own words, for a tooltip
        bool ok() const { return failure == Failure::None; }
    };

    // The highest port number a device's port can have (COM255 on Windows).
    static constexpr std::int32_t kHighestPort = 255;

    virtual ~CommPort() = default;

    // The port number and the line settings ("19200,n,8,1": baud rate, parity n/e/o/m/s,
    // data bits 5..8, stop bits 1, 1.5 or 2) used by the next opening.
    virtual void setCommPort(std::int32_t port) = 0;
    virtual void setSettings(std::string_view settings) = 0;

    // PortOpen = true: opens the port with the number and settings given. Opening an open
    // port closes it first.
    virtual OpenResult open() = 0;
    // PortOpen = false. Harmless when it is closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Input: the text received since the last call, taken out of the port's buffer. Valid
    // until the next call.
    virtual std::string_view input() = 0;

    // `onComm` runs whenever received text is waiting. `onLost` runs once when an open
    // port's device goes away (unplugged, cable pulled); the port is closed by then.
    virtual void setEvents(std::function<void()> onComm, std::function<void()> onLost) = 0;
};

}  // namespace tremolex
