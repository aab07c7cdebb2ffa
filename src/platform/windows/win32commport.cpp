#include "platform/windows/win32commport.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>
#include <utility>

#include "platform/windows/portdevice.h"
#include "platform/windows/widetext.h"
#include "platform/windows/win32failure.h"

namespace tremolex {

namespace {

constexpr UINT_PTR kBeatTimer = 1;
constexpr UINT kReceivedMessage = WM_APP + 1;  // the watch ended
constexpr const wchar_t* kWindowClass = L"TremolexCommPort";
// Asked of the driver so that the user-interface thread may stall for seconds (a long
// redraw, a window being dragged) at the usual speeds without the device's bytes
// overrunning its queue.
constexpr DWORD kInputQueue = 64 * 1024;
// More than any serial line brings in one pause; a source faster than that (a flooding
// pseudo-device) is read over several turns of the message loop instead of holding up
// the window.
constexpr DWORD kMostPerRead = 64 * 1024;

BYTE parityOf(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return EVENPARITY;
        case LineSettings::Parity::Odd:
            return ODDPARITY;
        case LineSettings::Parity::Mark:
            return MARKPARITY;
        case LineSettings::Parity::Space:
            return SPACEPARITY;
        case LineSettings::Parity::None:
            break;
    }
    return NOPARITY;
}

BYTE stopBitsOf(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return ONE5STOPBITS;
        case LineSettings::StopBits::Two:
            return TWOSTOPBITS;
        case LineSettings::StopBits::One:
            break;
    }
    return ONESTOPBIT;
}

CommPort::OpenResult failed(CommPort::OpenResult result, DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            result.failure = CommPort::Failure::NotFound;
            break;
        case ERROR_ACCESS_DENIED:
            // Serial ports open for one program at a time: the others are denied access.
            result.failure = CommPort::Failure::InUse;
            break;
        default:
            result.failure = CommPort::Failure::Other;
            break;
    }
    result.detail = Win32Failure::systemWords(error);
    return result;
}

// The beat's timer, rounded up to whole milliseconds: never early.
UINT milliseconds(ReadPacer::Clock::duration duration) {
    return static_cast<UINT>(std::chrono::ceil<std::chrono::milliseconds>(duration).count());
}

}  // namespace

void applyLineSettings(DCB& dcb, const LineSettings& settings) {
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = parityOf(settings.parity);
    dcb.StopBits = stopBitsOf(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != LineSettings::Parity::None;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    // Many USB-serial and CDC-ACM loggers only send while DTR is set.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

void Win32CommPort::setSettings(std::string_view settings) {
    m_settings = parseLineSettings(settings);
}

void Win32CommPort::setEvents(std::function<void()> onComm, std::function<void()> onLost) {
    m_onComm = std::move(onComm);
    m_onLost = std::move(onLost);
}

CommPort::OpenResult Win32CommPort::open() {
    close();
    m_pending.clear();
    OpenResult result;
    if (m_portNumber < 1 || m_portNumber > CommPort::kHighestPort || !m_settings) {
        result.failure = Failure::Refused;
        return result;
    }
    const PortDevice device = portDevice(m_portNumber);
    result.device = device.name;

    KernelHandle port(CreateFileW(toWide(device.path).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!port) {
        return failed(result, GetLastError());
    }
    const HANDLE handle = port.get();
    // Drivers that cannot grow their queue keep their own; the port works all the same.
    SetupComm(handle, kInputQueue, 0);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle, &dcb)) {
        return failed(result, GetLastError());
    }
    applyLineSettings(dcb, *m_settings);
    m_watchTimeouts = false;
    if (!SetCommState(handle, &dcb) || !setTimeouts(handle, true) || !prepare()) {
        return failed(result, GetLastError());
    }
    // One wait for as long as the port is open: each end of a watching read posts a message.
    HANDLE wait = nullptr;
    if (!RegisterWaitForSingleObject(&wait, m_received.get(), signalled, m_window.get(), INFINITE,
                                     WT_EXECUTEDEFAULT)) {
        return failed(result, GetLastError());
    }
    m_wait.reset(wait);
    m_port = std::move(port);
    m_untold = 0;
    m_watchFailed = false;
    m_pacer.start();
    watch();
    return result;
}

void Win32CommPort::close() {
    // The wait first: it may take the event that would end stopWatching()'s wait.
    m_wait.reset();
    stopWatching();
    beat(0);
    m_port.reset();
}

std::string_view Win32CommPort::input() {
    m_input.clear();
    m_input.swap(m_pending);
    return m_input;
}

bool Win32CommPort::prepare() {
    if (!m_received) {
        // Reset by the wait that sees it set, so that each read's end posts one message.
        m_received.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        m_readDone.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_received || !m_readDone) {
            m_received.reset();
            return false;
        }
    }
    if (m_window) {
        return true;
    }
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    m_window.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr));
    if (!m_window) {
        return false;
    }
    SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CALLBACK Win32CommPort::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* port = reinterpret_cast<Win32CommPort*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The handlers run from here may throw (a timer that cannot be set, say).
    if (message == kReceivedMessage) {
        return Win32Failure::guard([&] {
            if (port != nullptr) {
                port->readable();
            }
            return LRESULT{0};
        });
    }
    if (message == WM_TIMER && wParam == kBeatTimer) {
        return Win32Failure::guard([&] {
            if (port != nullptr && port->m_beatMs != 0) {  // not a tick queued before it stopped
                port->m_pacer.beat(ReadPacer::Clock::now());
                port->collect(true);
            }
            return LRESULT{0};
        });
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// On a thread of the pool: the window's thread takes it from there.
void CALLBACK Win32CommPort::signalled(void* window, BOOLEAN /*timedOut*/) {
    PostMessageW(static_cast<HWND>(window), kReceivedMessage, 0, 0);
}

void Win32CommPort::beat(UINT ms) {
    if (ms == m_beatMs) {
        return;  // a running timer goes on ticking: no call on each beat
    }
    m_beatMs = ms;
    if (ms == 0) {
        KillTimer(m_window.get(), kBeatTimer);
    } else {
        Win32Failure::check(SetTimer(m_window.get(), kBeatTimer, ms, nullptr),
                            "The serial port's timer");
    }
}

// The watching read waits for its first byte however long that takes, and ends 1 ms after
// the latest one (or once its buffer is full). (WaitCommEvent would watch as well on
// Windows, but Wine cancels it at once on a pseudo-terminal.) Other reads return at once
// with what has arrived. Set only when they change: most lines keep to one of them.
bool Win32CommPort::setTimeouts(HANDLE port, bool watching) {
    if (m_watchTimeouts == watching) {
        return true;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = watching ? 1 : MAXDWORD;
    m_watchTimeouts = watching;
    return SetCommTimeouts(port, &timeouts);
}

void Win32CommPort::watch() {
    m_watch = OVERLAPPED{};
    m_watch.hEvent = m_received.get();
    m_watching = setTimeouts(m_port.get(), true) &&
                 (ReadFile(m_port.get(), m_watchBuffer.data(),
                           static_cast<DWORD>(m_watchBuffer.size()), nullptr, &m_watch) ||
                  GetLastError() == ERROR_IO_PENDING);
    if (!m_watching) {
        m_watchFailed = true;  // the device went away: the next read says so
        beat(USER_TIMER_MINIMUM);
    }
}

std::size_t Win32CommPort::stopWatching() {
    if (!m_watching) {
        return 0;
    }
    m_watching = false;
    if (!HasOverlappedIoCompleted(&m_watch)) {
        CancelIoEx(m_port.get(), &m_watch);
    }
    // The buffer and the OVERLAPPED are written until the read has ended; a cancelled read
    // still tells what it took.
    DWORD got = 0;
    GetOverlappedResult(m_port.get(), &m_watch, &got, TRUE);
    m_pending.append(m_watchBuffer.data(), got);
    return got;
}

void Win32CommPort::readable() {
    if (!m_watching || !HasOverlappedIoCompleted(&m_watch)) {
        return;  // posted for a watch that has been ended since
    }
    m_untold += stopWatching();
    const ReadPacer::Clock::duration wait = m_pacer.readable(ReadPacer::Clock::now());
    if (wait > ReadPacer::Clock::duration::zero()) {
        beat(milliseconds(wait));
        return;
    }
    collect(false);
}

void Win32CommPort::collect(bool onBeat) {
    const std::optional<std::size_t> got = readWaiting();
    if (!got) {
        // The device went away. What arrived before is handed over first: it is part of
        // the capture.
        close();
        if (!m_pending.empty() && m_onComm) {
            m_onComm();
        }
        if (m_onLost) {
            m_onLost();
        }
        return;
    }
    m_untold += *got;
    if (m_pacer.afterRead(ReadPacer::Clock::now(), m_untold, onBeat) == ReadPacer::Next::Beat) {
        beat(milliseconds(ReadPacer::kPause));
    } else {
        beat(0);
        watch();
    }
    // Last: the handler may close or open the port again.
    if (std::exchange(m_untold, 0) > 0 && m_onComm) {
        m_onComm();
    }
}

// Any failing call means the device is gone: line errors (framing, parity, overrun) come
// as ClearCommError's flags, never as a failure, and reads do not abort on them. A device
// that went away fails ClearCommError (access denied, bad command, not ready, ...); its
// reads may still succeed with nothing.
std::optional<std::size_t> Win32CommPort::readWaiting() {
    if (std::exchange(m_watchFailed, false)) {
        return std::nullopt;
    }
    const HANDLE port = m_port.get();
    DWORD taken = 0;
    while (taken < kMostPerRead) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &errors, &status)) {
            return std::nullopt;
        }
        const DWORD want = std::min<DWORD>(status.cbInQue, kMostPerRead - taken);
        if (want == 0) {
            break;
        }
        if (!setTimeouts(port, false)) {
            return std::nullopt;
        }
        const std::size_t start = m_pending.size();
        m_pending.resize(start + want);
        OVERLAPPED read{};
        read.hEvent = m_readDone.get();
        DWORD got = 0;
        // Overlapped as the port was opened; it ends at once all the same.
        BOOL done = ReadFile(port, m_pending.data() + start, want, &got, &read);
        if (!done && GetLastError() == ERROR_IO_PENDING) {
            done = GetOverlappedResult(port, &read, &got, TRUE);
        }
        m_pending.resize(start + got);
        if (!done) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        taken += got;
    }
    return taken;
}

}  // namespace tremolex
