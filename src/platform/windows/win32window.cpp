#include "platform/windows/win32window.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/windows/widetext.h"
#include "platform/windows/win32dialogs.h"
#include "platform/windows/win32dpi.h"
#include "platform/windows/win32failure.h"
#include "platform/windows/win32filedialog.h"
#include "platform/windows/win32label.h"
#include "platform/windows/win32screens.h"
#include "platform/windows/win32surface.h"
#include "platform/windows/win32timer.h"

namespace tremolex {

namespace {

constexpr const wchar_t* kClassName = L"TremolexWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr UINT kFirstCommand = 100;  // menu item k sends WM_COMMAND kFirstCommand + k

void call(const std::function<void()>& event) {
    if (event) {
        const auto copy = event;  // the event may replace the window's events
        copy();
    }
}

// The keys the window hands on; the others are the system's.
std::optional<Key> keyOf(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
            return Key::Left;
        case VK_RIGHT:
            return Key::Right;
        case VK_TAB:
            return Key::Tab;
        case VK_ESCAPE:
            return Key::Escape;
        case VK_HOME:
            return Key::Home;
        default:
            return std::nullopt;
    }
}

HICON programIcon(int metricX, int metricY) {
    const auto icon = static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Win32Window::kIconId), IMAGE_ICON,
        GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_DEFAULTCOLOR | LR_SHARED));
    return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

void registerClass(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);  // the tooltip control
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = programIcon(SM_CXICON, SM_CYICON);
        windowClass.hIconSm = programIcon(SM_CXSMICON, SM_CYSMICON);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        return Win32Failure::check(RegisterClassExW(&windowClass), "The main window's class");
    }();
    (void)atom;
}

}  // namespace

Win32Window::Win32Window()
    : m_background(Win32Failure::check(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)),
                                       "The window's background brush")) {
    registerClass(windowProc);
    CreateWindowExW(kExStyle, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    Win32Failure::check(m_hwnd, "The main window");  // set on WM_NCCREATE
    m_dpi = dpiOfWindow(m_hwnd);
    updateFont();
    if (!m_font) {
        const DWORD error = GetLastError();
        m_destroying = true;
        DestroyWindow(m_hwnd);  // no destructor runs after a constructor throws
        throw Win32Failure("The window's font", error);
    }
}

Win32Window::~Win32Window() {
    m_events = {};
    m_destroying = true;
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);  // the controls with it
    }
    m_labels.clear();
    m_surfaces.clear();
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Null for the first message, WM_GETMINMAXINFO, and after WM_NCDESTROY.
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->m_toolTips = nullptr;  // an owned window: gone with its owner
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Win32Failure::guard([&] { return self->handleMessage(message, wParam, lParam); });
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            if (HIWORD(wParam) == 0 && lParam == 0 && id >= kFirstCommand &&
                id - kFirstCommand < m_commands.size()) {
                call(m_commands[id - kFirstCommand]);
                return 0;
            }
            break;
        }
        case WM_KEYDOWN:
            if (const std::optional<Key> key = keyOf(wParam); key && m_events.onKey) {
                const auto onKey = m_events.onKey;  // it may replace the window's events
                onKey(*key, GetKeyState(VK_SHIFT) < 0);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:  // the focus window's, wherever the pointer is
        case WM_MOUSEHWHEEL:
            for (const auto& surface : m_surfaces) {
                if (surface->wheel(message, wParam, lParam)) {
                    return 0;
                }
            }
            break;
        case WM_PARENTNOTIFY:
            // No control takes the keyboard; should the window be active without it, a click
            // on a control gives it back, for the chart's keys.
            if (const UINT what = LOWORD(wParam);
                (what == WM_LBUTTONDOWN || what == WM_RBUTTONDOWN || what == WM_MBUTTONDOWN) &&
                GetFocus() != m_hwnd) {
                SetFocus(m_hwnd);
            }
            break;
        case WM_CTLCOLORSTATIC:
            for (const auto& label : m_labels) {
                if (label->handle() == reinterpret_cast<HWND>(lParam)) {
                    return reinterpret_cast<LRESULT>(label->colour(reinterpret_cast<HDC>(wParam)));
                }
            }
            break;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(m_hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, m_background.get());
            return 1;
        }
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            const RECT outer = outerRectFor(m_minimum.width, m_minimum.height);
            limits->ptMinTrackSize.x = std::max(limits->ptMinTrackSize.x, outer.right - outer.left);
            limits->ptMinTrackSize.y = std::max(limits->ptMinTrackSize.y, outer.bottom - outer.top);
            return 0;
        }
        case WM_SIZE: {
            State now = State::Normal;
            if (wParam == SIZE_MINIMIZED) {
                now = State::Minimized;
            } else if (wParam == SIZE_MAXIMIZED) {
                now = State::Other;
            } else if (wParam != SIZE_RESTORED) {
                return 0;  // another window was maximised or restored
            }
            const bool stateChanged = now != m_state;
            m_state = now;
            call(m_events.onResize);
            if (stateChanged) {
                call(m_events.onStateChange);
            }
            return 0;
        }
        case WM_MOVE:
            call(m_events.onMove);
            return 0;
        case WM_CLOSE:
            if (!std::exchange(m_closed, true)) {
                call(m_events.onClose);
            }
            DestroyWindow(m_hwnd);
            return 0;
        case WM_ENDSESSION:
            // Logging off or shutting down: no WM_CLOSE comes, and the process may end at any
            // moment once this returns, so the program closes now, as by its close button.
            if (wParam != FALSE && !std::exchange(m_closed, true)) {
                call(m_events.onClose);
            }
            return 0;
        case WM_DESTROY:
            if (!m_destroying) {
                PostQuitMessage(0);
            }
            return 0;
        case WM_DPICHANGED:
            dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS) {
                updateFont();
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

int Win32Window::runMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            Win32Failure::rethrowKept();
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            Win32Failure::rethrowKept();
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND Win32Window::toolTips() {
    if (m_toolTips == nullptr && m_hwnd != nullptr) {
        m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        Win32Failure::check(m_toolTips, "The tooltips");
        // A width makes tips of several lines break at their line ends.
        SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, MulDiv(480, static_cast<int>(m_dpi), 96));
    }
    return m_toolTips;
}

double Win32Window::logicalDpi() const {
    return m_dpi;
}

void Win32Window::setTitle(std::string_view title) {
    SetWindowTextW(m_hwnd, toWide(title).c_str());
}

void Win32Window::setBackColor(Color color) {
    // Color is laid out as a COLORREF: 0x00BBGGRR
    m_background.reset(
        Win32Failure::check(CreateSolidBrush(color), "The window's background brush"));
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32Window::addMenu(std::string_view title, std::vector<MenuItem> items) {
    const HMENU menu = Win32Failure::check(CreatePopupMenu(), "A menu");
    for (MenuItem& item : items) {
        const auto id = static_cast<UINT_PTR>(kFirstCommand + m_commands.size());
        m_commands.push_back(std::move(item.onClick));
        AppendMenuW(menu, MF_STRING, id, toWide(item.text).c_str());
    }
    if (m_menuBar == nullptr) {
        m_menuBar = Win32Failure::check(CreateMenu(), "The menu bar");
    }
    AppendMenuW(m_menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), toWide(title).c_str());
    if (GetMenu(m_hwnd) == m_menuBar) {
        DrawMenuBar(m_hwnd);
        return;
    }
    // The menu bar is a decoration: the client area keeps its size.
    const PixelSize client = size();
    SetMenu(m_hwnd, m_menuBar);
    if (state() == State::Normal) {
        resize(client.width, client.height);
    }
}

WindowLabel& Win32Window::addLabel(std::string_view name, PixelRect rect) {
    m_labels.push_back(std::make_unique<Win32Label>(*this, name, rect));
    return *m_labels.back();
}

WindowSurface& Win32Window::addSurface(PixelRect rect) {
    m_surfaces.push_back(std::make_unique<Win32Surface>(m_hwnd, rect));
    return *m_surfaces.back();
}

std::unique_ptr<Timer> Win32Window::newTimer() {
    return std::make_unique<Win32Timer>();
}

std::unique_ptr<Dialogs> Win32Window::newDialogs() {
    return std::make_unique<Win32Dialogs>(m_hwnd);
}

std::unique_ptr<FileDialog> Win32Window::newFileDialog() {
    return std::make_unique<Win32FileDialog>(m_hwnd);
}

PixelRect Win32Window::frame() const {
    RECT r{};
    if (IsIconic(m_hwnd) != 0) {
        // A minimised window is parked far off screen (-32000): its place is the one it
        // comes back to, which Windows gives relative to its monitor's work area.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(m_hwnd, &placement);
        r = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor) != 0) {
            OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
        }
    } else {
        GetWindowRect(m_hwnd, &r);
    }
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

PixelSize Win32Window::size() const {
    RECT r{};
    GetClientRect(m_hwnd, &r);
    return {r.right, r.bottom};
}

RECT Win32Window::outerRectFor(int clientWidth, int clientHeight) const {
    return tremolex::outerRectFor(RECT{0, 0, clientWidth, clientHeight}, kStyle, kExStyle,
                                  GetMenu(m_hwnd) != nullptr, m_dpi);
}

void Win32Window::move(int x, int y) {
    SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::resize(int width, int height) {
    const auto apply = [this](const RECT& outer) {
        SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const RECT outer = outerRectFor(width, height);
    apply(outer);
    // A menu bar wrapped onto more lines than the calculation knows: what is missing, once.
    const PixelSize got = size();
    if (state() == State::Normal && (got.width != width || got.height != height)) {
        RECT more = outer;
        more.right += width - got.width;
        more.bottom += height - got.height;
        apply(more);
    }
}

void Win32Window::setMinimumSize(int width, int height) {
    m_minimum = {width, height};
    const PixelSize now = size();
    if (state() == State::Normal && (now.width < width || now.height < height)) {
        resize(std::max(now.width, width), std::max(now.height, height));
    }
}

Window::State Win32Window::state() const {
    if (IsIconic(m_hwnd)) {
        return State::Minimized;
    }
    return IsZoomed(m_hwnd) ? State::Other : State::Normal;
}

std::vector<PixelRect> Win32Window::screens() const {
    return workAreas();
}

void Win32Window::show() {
    ShowWindow(m_hwnd, SW_SHOWDEFAULT);  // as the program was started: normal, or minimised
    UpdateWindow(m_hwnd);
}

void Win32Window::close() {
    if (m_hwnd != nullptr) {
        SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
    }
}

// A font that cannot be made for a new resolution or setting leaves the old one in use.
void Win32Window::updateFont() {
    const LOGFONTW wanted = messageFont(m_dpi);
    OwnedFont font(CreateFontIndirectW(&wanted));
    if (!font) {
        return;
    }
    for (const auto& label : m_labels) {
        label->setFont(font.get());
    }
    m_font = std::move(font);
}

// Pixels are physical on a monitor-aware window: a move to a monitor of another scale
// scales the controls, the minimum size and the font, and takes the size Windows offers.
void Win32Window::dpiChanged(UINT dpi, const RECT& suggested) {
    const UINT old = m_dpi;
    m_dpi = dpi;
    const auto scaled = [&](int pixels) {
        return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(old));
    };
    m_minimum = {scaled(m_minimum.width), scaled(m_minimum.height)};
    for (const auto& surface : m_surfaces) {
        const PixelRect r = surface->bounds();
        surface->setBounds({scaled(r.x), scaled(r.y), scaled(r.width), scaled(r.height)});
    }
    for (const auto& label : m_labels) {
        label->scale(old, dpi);
    }
    updateFont();
    if (m_toolTips != nullptr) {
        SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, MulDiv(480, static_cast<int>(dpi), 96));
    }
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tremolex
