#include "platform/windows/win32window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/windows/win32failure.h"
#include "platform/windows/win32surface.h"
#include "platform/windows/win32timer.h"

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
    window.setEvents({nullptr, nullptr, [&] { ++stateChanges; }, [&] { ++closes; }, nullptr});
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

// A control that Win32 will not make (here: on a window that is gone, as when the system
// has no room left) is told once and ends the program with exit code 1: at start, and from
// a handler in the message loop, out of which nothing may be thrown.
TEST(Win32FailureTest, AControlThatCannotBeMadeIsToldOnceAndEndsTheProgram) {
    using namespace std::chrono_literals;
    const std::function<void(Win32Window&)> makes[] = {
        [](Win32Window& gone) {
            gone.addLabel("labstatus", {0, 0, 10, 10});
        },
        [](Win32Window& gone) {
            gone.addSurface({0, 0, 10, 10});
        },
    };
    for (const auto& make : makes) {
        for (const bool inHandler : {false, true}) {
            std::vector<std::string> told;
            const int code = Win32Failure::run(
                [&] {
                    Win32Window window;
                    Win32Window gone;
                    gone.close();
                    MSG quit{};
                    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // gone's
                    if (!inHandler) {
                        make(gone);
                        return 0;
                    }
                    Win32Timer tick, backstop;
                    tick.start(1ms, [&] {
                        tick.stop();
                        make(gone);
                    });
                    backstop.start(2s, [&] { window.close(); });  // a failure never told
                    return Win32Window::runMessageLoop();
                },
                [&](const std::string& text) { told.push_back(text); });
            EXPECT_EQ(code, 1) << inHandler;
            ASSERT_EQ(told.size(), 1u) << inHandler;
            EXPECT_NE(told[0].find("could not be made"), std::string::npos) << told[0];
        }
    }
}

}  // namespace tremolex
