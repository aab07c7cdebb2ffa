#include "platform/windows/win32screens.h"

#include <windows.h>

namespace tremolex {

namespace {

// EnumDisplayMonitors: adds the monitor's work area to the vector at `areas`.
BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, RECT*, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) != 0) {
        const RECT& r = info.rcWork;
        reinterpret_cast<std::vector<PixelRect>*>(areas)->push_back(
            {r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    return TRUE;
}

}  // namespace

std::vector<PixelRect> workAreas() {
    std::vector<PixelRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace tremolex
