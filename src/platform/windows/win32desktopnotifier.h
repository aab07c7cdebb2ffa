#pragma once

#include <windows.h>

#include "platform/desktopnotifier.h"

namespace tremolex {

// Calls the user back to the main window: the system's information sound, and the window's
// taskbar button flashing until the window comes to the front. The title and text are not
// shown; the window itself tells what happened.
class Win32DesktopNotifier final : public DesktopNotifier {
public:
    // `window`: the main window, which outlives this object; null rings the sound alone.
    explicit Win32DesktopNotifier(HWND window) : m_window(window) {}

    void notify(std::string_view title, std::string_view text) override;

private:
    HWND m_window = nullptr;  // not owned
};

}  // namespace tremolex
