#include "platform/windows/win32window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <tuple>
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

// Logging off ends the process soon after WM_ENDSESSION, with no WM_CLOSE: the window closes
// then, once, unless the session goes on after all.
TEST(Win32WindowTest, ClosesOnceWhenTheSessionEnds) {
    Win32Window window;
    int closes = 0;
    window.setEvents({nullptr, nullptr, nullptr, [&] { ++closes; }, nullptr});
    const HWND hwnd = window.handle();
    SendMessageW(hwnd, WM_ENDSESSION, FALSE, 0);  // another program refused to end
    EXPECT_EQ(closes, 0);
    for (int twice = 0; twice < 2; ++twice) {
        SendMessageW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    }
    EXPECT_EQ(closes, 1);
    window.close();
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(closes, 1);
}

// The pointer as the system reports it: a held button captures the mouse until the last one
// is let go, so a drag off the surface keeps its events (and leaves when let go there); the
// wheels, sent to the window, reach the surface under the pointer in whole notches; the
// system tells when the pointer has left, and so does a capture taken away. The chart's
// keys pass the message loop, Tab too.
TEST(Win32WindowTest, HandsThePointerAndTheChartsKeysOn) {
    using K = PointerEvent::Kind;
    using B = PointerEvent::Button;
    Win32Window window;
    window.move(0, 0);  // away from the pointer, in the middle of the screen
    window.resize(300, 200);
    auto& surface = static_cast<Win32Surface&>(window.addSurface({20, 10, 200, 100}));
    const HWND s = surface.handle(), w = window.handle();
    using Got = std::tuple<K, B, int, int, bool, int, bool, bool>;  // and whether captured
    std::vector<Got> got;
    surface.setPointerEvents([&](const PointerEvent& e) {
        got.emplace_back(e.kind, e.button, e.pixelX, e.pixelY, e.shift, e.wheelSteps, e.sideways,
                         GetCapture() == s);
    });
    std::string keys;  // "T+": Tab with Shift
    window.setEvents({nullptr, nullptr, nullptr, nullptr, [&](Key key, bool shift) {
                          (keys += "LRTEH"[static_cast<int>(key)]) += shift ? "+" : "";
                      }});
    window.show();
    POINT origin{};
    ClientToScreen(s, &origin);
    const auto screen = [&](int x, int y) { return MAKELPARAM(origin.x + x, origin.y + y); };
    const auto wheel = [](int delta, WPARAM keys = 0) { return MAKEWPARAM(keys, delta); };
    SendMessageW(s, WM_MOUSEMOVE, 0, MAKELPARAM(1, 2));  // late: the pointer is elsewhere
    SetCursorPos(origin.x + 100, origin.y + 50);         // the system watches for a leave here
    const std::tuple<HWND, UINT, WPARAM, LPARAM> sent[] = {
        {s, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(5, 6)},
        {s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
        {s, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(11, 20)},
        {s, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(-30, 150)},
        {s, WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(-30, 150)},
        {s, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(-30, 150)},
        {s, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 1)},
        {w, WM_MOUSEWHEEL, wheel(2 * WHEEL_DELTA), screen(50, 40)},
        {w, WM_MOUSEWHEEL, wheel(-60, MK_SHIFT), screen(50, 40)},
        {w, WM_MOUSEWHEEL, wheel(-60, MK_SHIFT), screen(51, 40)},
        {w, WM_MOUSEWHEEL, wheel(WHEEL_DELTA), screen(-5, 40)},   // beside the surface
        {s, WM_MOUSEWHEEL, wheel(WHEEL_DELTA), screen(199, 99)},  // as to inactive windows
        {w, WM_MOUSEHWHEEL, wheel(WHEEL_DELTA), screen(50, 40)},  // to the right
    };
    for (const auto& [to, message, wParam, lParam] : sent) {
        SendMessageW(to, message, wParam, lParam);
    }
    EXPECT_EQ(got, (std::vector<Got>{{K::Move, B::None, 1, 2, false, 0, false, false},
                                     {K::Leave, B::None, 0, 0, false, 0, false, false},
                                     {K::Move, B::None, 5, 6, true, 0, false, false},
                                     {K::Press, B::Left, 10, 20, false, 0, false, true},
                                     {K::Press, B::Right, 11, 20, false, 0, false, true},
                                     {K::Move, B::None, -30, 150, false, 0, false, true},
                                     {K::Release, B::Right, -30, 150, false, 0, false, true},
                                     {K::Release, B::Left, -30, 150, true, 0, false, true},
                                     {K::Leave, B::None, 0, 0, false, 0, false, false},
                                     {K::Wheel, B::None, 50, 40, false, 2, false, false},
                                     {K::Wheel, B::None, 51, 40, true, -1, false, false},
                                     {K::Wheel, B::None, 199, 99, false, 1, false, false},
                                     {K::Wheel, B::None, 50, 40, false, -1, true, false}}));
    got.clear();
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SetCapture(w);  // taken away mid-drag, as by a window that opens: the pointer has left
    ReleaseCapture();
    EXPECT_EQ(got, (std::vector<Got>{{K::Press, B::Left, 10, 20, false, 0, false, true},
                                     {K::Leave, B::None, 0, 0, false, 0, false, false}}));
    got.clear();
    SetCursorPos(origin.x + 500, origin.y + 500);
    const auto left = [&] { return !got.empty() && std::get<K>(got.back()) == K::Leave; };
    for (int wait = 0; wait < 1000 && !left(); ++wait) {  // the system's leave, on its timer
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    EXPECT_TRUE(left());

    const std::pair<WPARAM, bool> pressed[] = {
        {VK_TAB, false},    {VK_TAB, true},  {VK_LEFT, true}, {VK_RIGHT, false},
        {VK_ESCAPE, false}, {VK_HOME, true}, {'A', false}};
    for (const auto& [key, shift] : pressed) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(w, WM_KEYDOWN, key, 1);
        PostQuitMessage(0);  // after it
        Win32Window::runMessageLoop();
    }
    EXPECT_EQ(keys, "TT+L+REH+");
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
