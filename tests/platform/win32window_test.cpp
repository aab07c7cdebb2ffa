#include "platform/windows/win32window.h"

#include <gtest/gtest.h>

namespace tremolex {

// resize() sizes the client area below the menu bar, a decoration; move() places the frame.
TEST(Win32WindowTest, SizesTheClientAreaPlacesTheFrameAndTellsItsEvents) {
    Win32Window window;
    int saves = 0, closes = 0, stateChanges = 0;
    window.addMenu("&File", {{"Save Graph", [&] { ++saves; }}});
    window.resize(400, 300);
    window.move(50, 60);
    EXPECT_EQ(window.size(), (PixelSize{400, 300}));
    const PixelRect frame = window.frame();
    EXPECT_EQ(std::pair(frame.x, frame.y), std::pair(50, 60));
    EXPECT_GE(frame.height - 300, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
    const HWND hwnd = window.handle();
    SendMessageW(hwnd, WM_COMMAND, GetMenuItemID(GetSubMenu(GetMenu(hwnd), 0), 0), 0);
    window.setEvents({nullptr, nullptr, [&] { ++stateChanges; }, [&] { ++closes; }});
    window.show();
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(window.state(), Window::State::Minimized);
    EXPECT_EQ(window.frame(), frame);  // where it comes back to, not where it is parked
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(window.state(), Window::State::Normal);
    window.close();  // as its close button: the window goes, and the message loop ends
    EXPECT_EQ(window.handle(), nullptr);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(std::tuple(saves, stateChanges, closes), std::tuple(1, 2, 1));
}

// A label measures its captions in its font and grows to the widest: right and down, or
// left and equally up and down, and setTop() keeps it that far above its place.
TEST(Win32LabelTest, GrowsToFitItsCaptions) {
    Win32Window window;
    WindowLabel& right = window.addLabel("right", {10, 20, 30, 10});
    WindowLabel& left = window.addLabel("left", {100, 20, 30, 10});
    const std::vector<std::string> captions = {"1.5 V", "Charging since 12:00:00"};
    right.fitCaptions(captions, WindowLabel::Growth::RightAndDown);
    left.fitCaptions(captions, WindowLabel::Growth::LeftAndBothWays);
    const auto [x, y, width, height] = right.bounds();
    EXPECT_TRUE(x == 10 && y == 20 && width > 30 && height > 10) << width << " x " << height;
    const int up = (height - 10) / 2;
    EXPECT_EQ(left.bounds(), (PixelRect{130 - width, 20 - up, width, height}));
    left.setTop(600);  // 40 pixels at 96 dpi
    EXPECT_EQ(left.bounds().y, 40 - up);
}

}  // namespace tremolex
