#pragma once

#include <windows.h>

namespace tremolex {

// What depends on a window's resolution. Each uses the per-monitor call of Windows 10 1607
// and later where user32 has it, found at run time so that the program still starts on a
// system without it, and the system-wide call before that.

// Pixels to the logical inch on the window's monitor (96 at 100 %).
UINT dpiOfWindow(HWND window);

// The outer rectangle of a window of `style` whose client area is `client`, with or
// without a one-line menu bar.
RECT outerRectFor(RECT client, DWORD style, DWORD exStyle, bool menu, UINT dpi);

// The system's font for messages and controls ("Segoe UI" 9 pt, mostly) at `dpi`.
LOGFONTW messageFont(UINT dpi);

// The resolution system-wide calls work at (that of the primary monitor at logon).
UINT systemDpi();

}  // namespace tremolex
