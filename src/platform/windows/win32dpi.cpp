#include "platform/windows/win32dpi.h"

namespace tremolex {

namespace {

// A function of user32 that may be missing; null then. Cast through void (*)(), which
// GCC's -Wcast-function-type takes as matching every function type.
template <typename Function>
Function user32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 == nullptr ? nullptr
                             : reinterpret_cast<Function>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

}  // namespace

UINT systemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT dpiOfWindow(HWND window) {
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr && window != nullptr ? getDpiForWindow(window) : 0;
    return dpi > 0 ? dpi : systemDpi();
}

RECT outerRectFor(RECT client, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    static const auto adjustForDpi =
        user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT outer = client;
    if (adjustForDpi == nullptr || adjustForDpi(&outer, style, menu, exStyle, dpi) == 0) {
        outer = client;
        AdjustWindowRectEx(&outer, style, menu, exStyle);
    }
    return outer;
}

LOGFONTW messageFont(UINT dpi) {
    static const auto parametersForDpi =
        user32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (parametersForDpi != nullptr &&
        parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) != 0) {
        return metrics.lfMessageFont;
    }
    metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) == 0) {
        LOGFONTW fallback{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
        return fallback;
    }
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
    return font;
}

}  // namespace tremolex
