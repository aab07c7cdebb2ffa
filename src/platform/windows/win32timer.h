#pragma once

#include <windows.h>

#include "platform/timer.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

// A periodic timer on a message-only window of its own: its ticks come as WM_TIMER
// through the thread's message loop, also while a modal dialog runs its own loop.
class Win32Timer final : public Timer {
public:
    Win32Timer();
    ~Win32Timer() override = default;  // the window, and its timer with it
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void start(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    void stop() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    OwnedWindow m_window;
    std::function<void()> m_onTick;
};

}  // namespace tremolex
