#include "platform/windows/win32desktopnotifier.h"

namespace tremolex {

void Win32DesktopNotifier::notify(std::string_view /*title*/, std::string_view /*text*/) {
    MessageBeep(MB_ICONINFORMATION);
    if (m_window != nullptr && GetForegroundWindow() != m_window) {
        FLASHWINFO flash{};
        flash.cbSize = sizeof(flash);
        flash.hwnd = m_window;
        flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;  // until the user brings it up
        FlashWindowEx(&flash);
    }
}

}  // namespace tremolex
