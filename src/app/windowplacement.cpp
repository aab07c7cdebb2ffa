#include "app/windowplacement.h"

#include <array>
#include <cmath>
#include <vector>

#include "app/formlayout.h"
#include "app/windowgeometry.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace {
namespace names = settingnames;
constexpr double kTwipsPerInch = 1440.0;
}  // namespace

WindowPlacement::WindowPlacement(Window& window, const SettingsStore& settings)
    : m_window(window), m_settings(settings), m_frame(kTwipsPerInch / window.logicalDpi()) {}

// Each value is read and applied before the next is read.
void WindowPlacement::restore() {
    struct Value {
        std::string_view name;
        std::string_view fallback;
        float WindowGeometry::*value;
        void (WindowPlacement::*apply)(float);
    };
    static constexpr std::array<Value, 4> kValues{{
        {names::kWindowLeft, names::kWindowLeftDefault, &WindowGeometry::left,
         &WindowPlacement::setLeft},
        {names::kWindowTop, names::kWindowTopDefault, &WindowGeometry::top,
         &WindowPlacement::setTop},
        {names::kWindowWidth, names::kWindowWidthDefault, &WindowGeometry::width,
         &WindowPlacement::setWidth},
        {names::kWindowHeight, names::kWindowHeightDefault, &WindowGeometry::height,
         &WindowPlacement::setHeight},
    }};
    WindowGeometry stored;
    for (const Value& v : kValues) {
        stored.*v.value =
            WindowGeometry::settingValue(m_settings.regread(v.name, v.fallback), stored.*v.value);
        (this->*v.apply)(stored.*v.value);
    }

    std::vector<WindowGeometry::Rect> screens;
    for (const PixelRect& r : m_window.screens()) {
        screens.push_back({twips(r.x), twips(r.y), twips(r.width), twips(r.height)});
    }
    const WindowGeometry placed = WindowGeometry::keptOnScreen(stored, screens);
    if (placed.left != stored.left || placed.top != stored.top) {
        setLeft(placed.left);
        setTop(placed.top);
    }
}

void WindowPlacement::store() const {
    m_settings.regwrite(names::kWindowLeft, numtext(Left()));
    m_settings.regwrite(names::kWindowTop, numtext(Top()));
    m_settings.regwrite(names::kWindowWidth, numtext(Width()));
    m_settings.regwrite(names::kWindowHeight, numtext(Height()));
}

// X11 tells the decorations only once the window is mapped, in a move or resize event;
// the minimum then holds for the outer size and the outer size applied at start stays.
void WindowPlacement::followDecorations() {
    m_frame.setTwipsPerPixel(kTwipsPerInch / m_window.logicalDpi());
    const PixelRect frame = m_window.frame();
    const PixelSize size = m_window.size();
    const std::optional<OuterFrame::Size> client =
        m_frame.framed({frame.width, frame.height}, {size.width, size.height},
                       m_window.state() == Window::State::Normal);
    if (!client) {
        return;
    }
    const int minimum = px(FormLayout::kMinimumSize);
    const OuterFrame::Size smallest = m_frame.clientFor({minimum, minimum});
    m_window.setMinimumSize(smallest.width, smallest.height);
    m_window.resize(client->width, client->height);
}

int WindowPlacement::px(float value) const {
    return static_cast<int>(std::lround(value * m_window.logicalDpi() / kTwipsPerInch));
}

float WindowPlacement::twips(int pixels) const {
    return static_cast<float>(pixels * kTwipsPerInch / m_window.logicalDpi());
}

float WindowPlacement::Left() const {
    return m_frame.reported(OuterFrame::Edge::Left, m_window.frame().x);
}
float WindowPlacement::Top() const {
    return m_frame.reported(OuterFrame::Edge::Top, m_window.frame().y);
}
float WindowPlacement::Width() const {
    return m_frame.reported(OuterFrame::Edge::Width, m_window.frame().width);
}
float WindowPlacement::Height() const {
    return m_frame.reported(OuterFrame::Edge::Height, m_window.frame().height);
}

// Window systems place a window's frame, but size it without its decorations.
void WindowPlacement::setLeft(float value) {
    m_window.move(m_frame.applied(OuterFrame::Edge::Left, value), m_window.frame().y);
}
void WindowPlacement::setTop(float value) {
    m_window.move(m_window.frame().x, m_frame.applied(OuterFrame::Edge::Top, value));
}
void WindowPlacement::setWidth(float value) {
    const int outer = m_frame.applied(OuterFrame::Edge::Width, value);
    m_window.resize(m_frame.clientFor({outer, m_window.frame().height}).width,
                    m_window.size().height);
}
void WindowPlacement::setHeight(float value) {
    const int outer = m_frame.applied(OuterFrame::Edge::Height, value);
    m_window.resize(m_window.size().width,
                    m_frame.clientFor({m_window.frame().width, outer}).height);
}

}  // namespace tremolex
