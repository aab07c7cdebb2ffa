#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/commport.h"
#include "platform/linesettings.h"

namespace tremolex {

// `settings` written into `dcb` (as GetCommState gave it): binary mode, parity checked
// whenever there is a parity bit, no flow control of any kind, DTR and RTS on for as long
// as the port is open, no aborting reads on a line error, no replacing bytes.
void applyLineSettings(DCB& dcb, const LineSettings& settings);

// The serial port on the Win32 communications API. Port n is COMn (portDevice()); numbers
// outside 1..255 and settings texts parseLineSettings() does not accept are refused before
// any device is touched; so is everything until setCommPort() is called. The settings
// start as "9600,n,8,1". The device is opened for reading only, exclusively.
//
// While the port is open, a timer of a hidden message-only window reads whatever has
// arrived every 50 ms, so the thread that uses the port must run a message loop; nothing
// ever waits for the device. When a read finds the device gone (unplugged, driver
// stopped), the port closes itself and `onLost` runs once. Input that arrived before
// stays readable through input() until the next opening; an opening starts with nothing
// waiting, so text of two devices (or of two sessions of one device) is never joined.
//
// Not thread-safe: construct, use and destroy it on one thread.
class Win32CommPort final : public CommPort {
public:
    Win32CommPort() = default;
    ~Win32CommPort() override = default;
    Win32CommPort(const Win32CommPort&) = delete;
    Win32CommPort& operator=(const Win32CommPort&) = delete;

    void setCommPort(std::int32_t port) override { m_portNumber = port; }
    void setSettings(std::string_view settings) override;

    OpenResult open() override;
    void close() override;
    bool isOpen() const override { return m_port != nullptr; }

    std::string_view input() override;

    void setEvents(std::function<void()> onComm, std::function<void()> onLost) override;

private:
    struct HandleCloser {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    struct WindowDestroyer {
        void operator()(HWND window) const { DestroyWindow(window); }
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool makeWindow();
    void poll();
    bool readWaiting();

    std::int32_t m_portNumber = 0;
    std::optional<LineSettings> m_settings = LineSettings{};
    std::function<void()> m_onComm;
    std::function<void()> m_onLost;
    std::unique_ptr<void, HandleCloser> m_port;
    std::string m_input;    // what input() returns; keeps its capacity between calls
    std::string m_pending;  // read from the device and not yet taken by input()
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> m_window;
};

}  // namespace tremolex
