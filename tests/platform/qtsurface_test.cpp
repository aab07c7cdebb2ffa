#include "platform/qt/qtsurface.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace tremolex {

// A chart of 460 by 372 pixels (the default window's chart) in the chart's coordinates.
class QtSurfaceTest : public testing::Test {
protected:
    QtSurfaceTest() {
        surface.resize(460, 372);
        surface.setScaleWidth(1003);
        surface.setScaleHeight(-1003);
        surface.setScaleLeft(-1);
        surface.setScaleTop(1000);
    }

    QtSurface surface;
};

// The edges of the chart's coordinates are the outermost pixels, and colours keep their
// channels. Drawing outside is clipped however far out (infinity and NaN too), but a line
// from far outside to far outside still draws the part that crosses.
TEST_F(QtSurfaceTest, DrawsWhereTheScaleSaysAndClipsTheRest) {
    surface.Cls();
    const QImage blank = surface.image().copy();
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const std::pair<float, float> outside[] = {{-2, 500},      {1003, 500}, {500, 1001}, {500, -4},
                                               {1e30f, 1e30f}, {inf, 0},    {nan, nan}};
    for (const auto& [x, y] : outside) {
        surface.PSet(x, y, rgb(255, 255, 255));
    }
    surface.Line(-1e30f, 2000, 1e30f, 2000, rgb(255, 255, 255));
    surface.Line(nan, 0, 10, 10, rgb(255, 255, 255));
    EXPECT_EQ(surface.image(), blank);

    surface.Line(0, 0, 0, 1000, rgb(0, 0, 255));
    surface.Line(0, 1000, 1000, 1000, rgb(255, 0, 0));
    surface.Line(-1e30f, 500, 1e30f, 500, rgb(255, 255, 255));
    surface.PSet(5, 637, rgb(0, 255, 0));
    // Point (x, y) lies in pixel (floor((x + 1) * 460 / 1003), floor((1000 - y) * 372 / 1003)).
    const std::tuple<int, int, QRgb> pixels[] = {
        {0, 278, qRgb(0, 0, 255)},     {229, 0, qRgb(255, 0, 0)},         // (0, 250), (500, 1000)
        {2, 134, qRgb(0, 255, 0)},     {115, 222, qRgb(0, 0, 0)},         // (5, 637), (250, 400)
        {0, 185, qRgb(255, 255, 255)}, {459, 185, qRgb(255, 255, 255)}};  // (-1 and 1001.9, 500)
    for (const auto& [x, y, colour] : pixels) {
        EXPECT_EQ(surface.image().pixel(x, y), colour) << x << ", " << y;
    }
}

// The fast series must colour exactly the pixels that PSet colours point by point, for
// few and many points, heights in and out of view.
TEST_F(QtSurfaceTest, SeriesColoursTheSamePixelsAsSinglePoints) {
    std::mt19937 random(3);
    std::vector<float> heights(300);
    std::ranges::generate(heights,
                          [&] { return std::uniform_real_distribution(-100.f, 1100.f)(random); });
    std::uniform_int_distribution<std::int16_t> count(-50, 249);
    for (const std::size_t n : {1, 7, 200, 401, 5000, 100000}) {
        std::vector<std::int16_t> values(n);
        std::ranges::generate(values, [&] { return count(random); });
        // Wide steps for a few points; the last tenth of many points lies off the right.
        const double xStep = n <= 200 ? 5.0 : 1100.0 / static_cast<double>(n);
        surface.Cls();
        surface.PSetSeries(xStep, values, -50, heights, rgb(255, 0, 0));
        const QImage fast = surface.image().copy();
        surface.Cls();
        surface.Surface::PSetSeries(xStep, values, -50, heights, rgb(255, 0, 0));
        EXPECT_EQ(fast, surface.image()) << n;
    }
}

// The pointer's events come in the chart's units, at the centre of the pixel: the left and
// right buttons with Shift, the wheel by whole notches (a fine wheel's parts add up), up
// and down or sideways, and leaving the surface.
TEST_F(QtSurfaceTest, PointerEventsInTheChartsUnits) {
    surface.Cls();  // the picture takes the surface's size
    std::vector<PointerEvent> events;
    surface.setPointerEvents([&](const PointerEvent& event) { events.push_back(event); });
    const QPointF at(229, 100);
    const auto send = [&](QEvent&& event) { QCoreApplication::sendEvent(&surface, &event); };
    send(QMouseEvent(QEvent::MouseMove, at, surface.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier));
    send(QMouseEvent(QEvent::MouseButtonPress, at, surface.mapToGlobal(at), Qt::RightButton,
                     Qt::RightButton, Qt::ShiftModifier));
    send(QMouseEvent(QEvent::MouseButtonRelease, at, surface.mapToGlobal(at), Qt::MiddleButton,
                     Qt::NoButton, Qt::NoModifier));  // no event for the middle button
    for (int part = 0; part < 3; ++part) {            // a notch and a half
        send(QWheelEvent(at, surface.mapToGlobal(at), {}, {0, 60}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false));
    }
    send(QWheelEvent(at, surface.mapToGlobal(at), {}, {-240, 0}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false));  // sideways, to the right
    send(QEvent(QEvent::Leave));
    using Kind = PointerEvent::Kind;
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, Kind::Move);
    EXPECT_NEAR(events[0].x, 229.5 * 1003 / 460 - 1, 1e-3);
    EXPECT_NEAR(events[0].y, 1000 - 100.5 * 1003 / 372, 1e-3);
    EXPECT_EQ(events[1].kind, Kind::Press);
    EXPECT_EQ(events[1].button, PointerEvent::Button::Right);
    EXPECT_TRUE(events[1].shift);
    EXPECT_EQ(events[2].kind, Kind::Wheel);
    EXPECT_EQ(events[2].wheelSteps, 1);
    EXPECT_FALSE(events[2].sideways);
    EXPECT_TRUE(events[3].sideways);
    EXPECT_EQ(events[3].wheelSteps, -2);
    EXPECT_EQ(events[4].kind, Kind::Leave);
}

}  // namespace tremolex
