#include "platform/windows/win32commport.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cwctype>
#include <string_view>

#include "platform/windows/portdevice.h"
#include "platform/windows/widetext.h"

namespace tremolex {

namespace {

constexpr std::int32_t kHighestPort = 255;
constexpr std::chrono::milliseconds kPollInterval{50};
constexpr UINT_PTR kPollTimer = 1;
constexpr const wchar_t* kWindowClass = L"TremolexCommPort";
// Asked of the driver so that the user-interface thread may stall for seconds (a long
// redraw, a window being dragged) at the usual speeds without the device's bytes
// overrunning its queue.
constexpr DWORD kInputQueue = 64 * 1024;
// More than any serial line brings in one tick; a source faster than that (a flooding
// pseudo-device) is read over several ticks instead of holding up the window.
constexpr DWORD kMostPerTick = 64 * 1024;

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

std::string systemWords(DWORD error) {
    std::array<wchar_t, 512> text{};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::wstring_view words(text.data(), length);
    while (!words.empty() && std::iswspace(words.back())) {
        words.remove_suffix(1);  // the messages end in a line break
    }
    return words.empty() ? "system error " + std::to_string(error) : toUtf8(words);
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
    result.detail = systemWords(error);
    return result;
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
    if (m_portNumber < 1 || m_portNumber > kHighestPort || !m_settings) {
        result.failure = Failure::Refused;
        return result;
    }
    const PortDevice device = portDevice(m_portNumber);
    result.device = device.name;

    const HANDLE handle = CreateFileW(toWide(device.path).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failed(result, GetLastError());
    }
    std::unique_ptr<void, HandleCloser> port(handle);
    // Drivers that cannot grow their queue keep their own; the port works all the same.
    SetupComm(handle, kInputQueue, 0);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle, &dcb)) {
        return failed(result, GetLastError());
    }
    applyLineSettings(dcb, *m_settings);
    // Reads return at once with what has arrived, nothing when nothing has.
    COMMTIMEOUTS immediate{};
    immediate.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommState(handle, &dcb) || !SetCommTimeouts(handle, &immediate) || !makeWindow() ||
        SetTimer(m_window.get(), kPollTimer, static_cast<UINT>(kPollInterval.count()), nullptr) ==
            0) {
        return failed(result, GetLastError());
    }
    m_port = std::move(port);
    return result;
}

void Win32CommPort::close() {
    if (m_window) {
        KillTimer(m_window.get(), kPollTimer);
    }
    m_port.reset();
}

std::string_view Win32CommPort::input() {
    m_input.clear();
    m_input.swap(m_pending);
    return m_input;
}

bool Win32CommPort::makeWindow() {
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
    if (message == WM_TIMER && wParam == kPollTimer) {
        auto* port = reinterpret_cast<Win32CommPort*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (port != nullptr) {
            port->poll();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32CommPort::poll() {
    if (!m_port) {
        return;  // a tick that was queued before the port closed
    }
    const std::size_t before = m_pending.size();
    if (readWaiting()) {
        if (m_pending.size() > before && m_onComm) {
            m_onComm();
        }
        return;
    }
    // The device went away. What arrived before is handed over first: it is part of the
    // capture.
    close();
    if (!m_pending.empty() && m_onComm) {
        m_onComm();
    }
    if (m_onLost) {
        m_onLost();
    }
}

// Any failing call means the device is gone: line errors (framing, parity, overrun) come
// as ClearCommError's flags, never as a failure, and reads do not abort on them. A device
// that went away fails ClearCommError (access denied, bad command, not ready, ...); its
// reads may still succeed with nothing.
bool Win32CommPort::readWaiting() {
    const HANDLE port = m_port.get();
    for (DWORD taken = 0; taken < kMostPerTick;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &errors, &status)) {
            return false;
        }
        const DWORD want = std::min<DWORD>(status.cbInQue, kMostPerTick - taken);
        if (want == 0) {
            return true;
        }
        const std::size_t start = m_pending.size();
        m_pending.resize(start + want);
        DWORD got = 0;
        const BOOL read = ReadFile(port, m_pending.data() + start, want, &got, nullptr);
        m_pending.resize(start + got);
        if (!read) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        taken += got;
    }
    return true;
}

}  // namespace tremolex
