#pragma once

#include <QSerialPort>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/commport.h"
#include "platform/linesettings.h"
#include "platform/posix/deviceidentity.h"
#include "platform/posix/portdevice.h"
#include "platform/qt/terminalreader.h"

namespace tremolex {

// The serial port on QSerialPort, driven by the event loop of the thread that owns it.
// The device is opened for reading, without flow control; after opening DTR and RTS are
// asserted, because many USB-serial and CDC-ACM loggers only send while DTR is set (a
// device without modem lines, such as a pseudo-terminal, opens all the same).
//
// POSIX only (Windows has Win32CommPort): portDevice() says which device port n is. Port
// numbers outside 1..255 and settings texts parseLineSettings() does not accept are
// refused before any device is touched; so is everything until setCommPort() is called.
// The settings start as "9600,n,8,1".
//
// Input that arrived before the device went away stays readable through input() until
// the next opening; an opening starts with nothing waiting, so text of two devices (or
// of two sessions of one device) is never joined.
//
// A USB device can come back under another node after it went away (/dev/ttyUSB1 for
// /dev/ttyUSB0). When the device that went away had a stable name (DeviceIdentity), the
// next openings of the same port number open that device under whatever node it has now,
// and no other: until it is back they fail as not found. Opening another number, close(),
// or an opening that succeeds ends this; a device without a stable name is simply opened
// by its number again.
//
// QSerialPort opens, sets up and locks the device, and a TerminalReader reads its descriptor in
// batches instead of QSerialPort, which would wake the thread for every few bytes: `onComm` then
// runs at most about 20 times a second on a busy line, and a silent line costs nothing.
class QtCommPort final : public CommPort {
public:
    // `byIdFolder` holds the links that give USB devices their stable names.
    explicit QtCommPort(std::filesystem::path byIdFolder = DeviceIdentity::kByIdFolder)
        : m_identity(std::move(byIdFolder)) {}
    ~QtCommPort() override = default;
    QtCommPort(const QtCommPort&) = delete;
    QtCommPort& operator=(const QtCommPort&) = delete;

    void setCommPort(std::int32_t port) override { m_portNumber = port; }
    void setSettings(std::string_view settings) override;

    OpenResult open() override;
    // Also forgets a device that went away: the next opening goes by the number alone.
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    std::string_view input() override;

    void setEvents(std::function<void()> onComm, std::function<void()> onLost) override;

private:
    // A device with a stable name, opened as port `port`.
    struct KnownDevice {
        std::int32_t port = 0;
        std::string name;
    };

    // What the number stands for now, or the device that went away from it.
    PortDevice deviceToOpen() const;
    // Stops reading and closes the port; a device that went away stays remembered.
    void shut();
    void comm();
    // Hands over what came before the device went away, closes the port and tells.
    void deviceGone();

    QSerialPort m_port;
    std::int32_t m_portNumber = 0;
    std::optional<LineSettings> m_settings = LineSettings{};
    std::function<void()> m_onComm;
    std::function<void()> m_onLost;
    std::string m_input;  // what input() returns; keeps its capacity between calls
    DeviceIdentity m_identity;
    std::optional<KnownDevice> m_open;  // the open device, when it has a stable name
    std::optional<KnownDevice> m_lost;  // the device that went away, when it had one
    // After m_port, so that it stops watching the descriptor before the port closes it.
    TerminalReader m_reader{[this] { comm(); }, [this] { deviceGone(); }};
};

}  // namespace tremolex
