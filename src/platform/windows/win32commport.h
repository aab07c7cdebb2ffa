#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/commport.h"
#include "platform/linesettings.h"
#include "platform/readpacer.h"
#include "platform/windows/win32handle.h"

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
// While the port is open it reads in batches paced by a ReadPacer: about 20 wakeups a
// second at any steady line rate, none on a silent line. The line is watched with an
// overlapped read that waits for the first byte, whose completion a thread-pool wait posts
// to a hidden message-only window; the beat is a timer of that window. So the thread
// that uses the port must run a message loop; nothing ever waits for the device. When a
// read finds the device gone (unplugged, driver stopped), the port closes itself and
// `onLost` runs once. Input that arrived before stays readable through input() until the
// next opening; an opening starts with nothing waiting, so text of two devices (or of two
// sessions of one device) is never joined.
//
// Not thread-safe: construct, use and destroy it on one thread.
class Win32CommPort final : public CommPort {
public:
    Win32CommPort() = default;
    ~Win32CommPort() override { close(); }
    Win32CommPort(const Win32CommPort&) = delete;
    Win32CommPort& operator=(const Win32CommPort&) = delete;

    void setCommPort(std::int32_t port) override { m_portNumber = port; }
    void setSettings(std::string_view settings) override;

    OpenResult open() override;
    void close() override;
    bool isOpen() const override { return static_cast<bool>(m_port); }

    std::string_view input() override;

    void setEvents(std::function<void()> onComm, std::function<void()> onLost) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK signalled(void* window, BOOLEAN timedOut);
    // The events and the window, made once.
    bool prepare();
    // Reads on a timer every `ms` from now on; 0 stops it.
    void beat(UINT ms);
    // The timeouts of the watching read or of reads that return at once.
    bool setTimeouts(HANDLE port, bool watching);
    void watch();
    // Ends the watch; the bytes its read took, added to m_pending.
    std::size_t stopWatching();
    void readable();
    void collect(bool onBeat);
    // The bytes read into m_pending, or nothing when the device has gone away.
    std::optional<std::size_t> readWaiting();

    std::int32_t m_portNumber = 0;
    std::optional<LineSettings> m_settings = LineSettings{};
    std::function<void()> m_onComm;
    std::function<void()> m_onLost;
    KernelHandle m_port;
    std::string m_input;    // what input() returns; keeps its capacity between calls
    std::string m_pending;  // read from the device and not yet taken by input()
    OwnedWindow m_window;
    KernelHandle m_received;  // set when the watching read ends
    KernelHandle m_readDone;
    OVERLAPPED m_watch{};  // the watching read, under way or done, while m_watching
    bool m_watching = false;
    bool m_watchFailed = false;
    std::array<char, 4096> m_watchBuffer{};
    std::size_t m_untold = 0;      // bytes added to m_pending since `onComm` last ran
    UINT m_beatMs = 0;             // the timer's interval, 0 while it is stopped
    bool m_watchTimeouts = false;  // the port's timeouts are the watching read's
    // On m_received, while open. Unregistering waits for a callback under way to end; the
    // callback only posts a message.
    WaitHandle m_wait;
    ReadPacer m_pacer;
};

}  // namespace tremolex
