#include "platform/windows/win32timer.h"

#include <algorithm>

#include "platform/windows/win32failure.h"

namespace tremolex {

namespace {
constexpr const wchar_t* kClassName = L"TremolexTimer";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

Win32Timer::Win32Timer() {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return Win32Failure::check(RegisterClassExW(&windowClass), "The timers' window class");
    }();
    (void)atom;
    m_window.reset(
        Win32Failure::check(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                            nullptr, GetModuleHandleW(nullptr), nullptr),
                            "A timer's window"));
    SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Win32Timer::start(std::chrono::milliseconds interval, std::function<void()> onTick) {
    m_onTick = std::move(onTick);
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(interval.count(), USER_TIMER_MINIMUM,
                                                               USER_TIMER_MAXIMUM);
    // Replaces a running one.
    Win32Failure::check(SetTimer(m_window.get(), kTimerId, static_cast<UINT>(ms), nullptr),
                        "A timer");
}

void Win32Timer::stop() {
    KillTimer(m_window.get(), kTimerId);
}

LRESULT CALLBACK Win32Timer::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Timer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_TIMER && wParam == kTimerId && self != nullptr) {
        const auto tick = self->m_onTick;  // a copy: the tick may restart the timer with another
        return Win32Failure::guard([&] {
            if (tick) {
                tick();
            }
            return LRESULT{0};
        });
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tremolex
