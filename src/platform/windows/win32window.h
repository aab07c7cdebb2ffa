#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "platform/window.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

class Win32Label;
class Win32Surface;

// The main window on the Win32 API: an overlapped window with the program's icon and a
// menu bar, its client area holding the labels and the drawing surface. The menu bar is
// non-client on Windows, so size() and clientSize() are both the client area, and the menu
// counts among the decorations. All controls use the system's message font at the window's
// resolution; the window is aware of each monitor's resolution and scales its controls
// when it moves to a monitor of another.
//
// The window keeps the keyboard focus (no control takes it, and the message loop does no
// dialog navigation): the chart's keys, Tab too, reach Events::onKey. The wheel, which
// Windows gives the focus window, goes on to the surface under the pointer.
//
// The window is made hidden at construction. Closing it (its close button, Alt+F4 or
// close()) destroys it and ends the thread's message loop.
class Win32Window final : public Window {
public:
    // The program's icon in the executable's resources (src/app/windows/tremolex.rc); a
    // program without it shows the system's application icon.
    static constexpr int kIconId = 1;

    Win32Window();
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    HWND handle() const { return m_hwnd; }
    HFONT font() const { return m_font.get(); }
    // The tooltip control the labels share, made on first use.
    HWND toolTips();

    // Dispatches the thread's messages until the window has closed (WM_QUIT); returns the
    // exit code that came with it. Throws again what a window procedure kept
    // (Win32Failure::guard()).
    static int runMessageLoop();

    double logicalDpi() const override;
    void setTitle(std::string_view title) override;
    void setBackColor(Color color) override;
    void addMenu(std::string_view title, std::vector<MenuItem> items) override;
    WindowLabel& addLabel(std::string_view name, PixelRect rect) override;
    WindowSurface& addSurface(PixelRect rect) override;

    std::unique_ptr<Timer> newTimer() override;
    std::unique_ptr<Dialogs> newDialogs() override;
    std::unique_ptr<FileDialog> newFileDialog() override;

    PixelRect frame() const override;
    PixelSize size() const override;
    PixelSize clientSize() const override { return size(); }
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void setMinimumSize(int width, int height) override;
    State state() const override;
    std::vector<PixelRect> screens() const override;

    void setEvents(Events events) override { m_events = std::move(events); }
    void show() override;
    void close() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    RECT outerRectFor(int clientWidth, int clientHeight) const;
    void updateFont();
    void dpiChanged(UINT dpi, const RECT& suggested);

    HWND m_hwnd = nullptr;
    OwnedFont m_font;
    OwnedBrush m_background;
    HMENU m_menuBar = nullptr;
    HWND m_toolTips = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    PixelSize m_minimum;
    State m_state = State::Normal;
    bool m_destroying = false;  // by the destructor: no WM_QUIT then
    bool m_closed = false;      // onClose told, also when the session ended
    Events m_events;
    std::vector<std::function<void()>> m_commands;  // menu item k has command id kFirst + k
    std::vector<std::unique_ptr<Win32Label>> m_labels;
    std::vector<std::unique_ptr<Win32Surface>> m_surfaces;
};

}  // namespace tremolex
