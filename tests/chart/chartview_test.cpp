#include "chart/chartview.h"

#include <gtest/gtest.h>

#include "chart/chartcursors.h"

namespace tremolex {
namespace {

using Stretch = ChartView::Stretch;

// The reading nearest a place, on the whole chart's spacing and on a zoomed one: ties go
// to the later reading, places beyond the readings to the last, and with many readings to
// a pixel column the pointer still picks one by its x.
TEST(ChartViewTest, NearestReadingInX) {
    ChartView zoomed;
    zoomed.zoomTo(100, 200, 1000);  // readings 100..200, about
    const Stretch shown = zoomed.stretch(1000);
    const std::tuple<const char*, const ChartView*, std::int32_t, double, std::int32_t> cases[] = {
        {"OneReading", nullptr, 1, 730, 1},
        {"LeftEdge", nullptr, 200, 0, 1},
        {"TieGoesLater", nullptr, 200, 7.5, 2},
        {"JustBeforeTheTie", nullptr, 200, 7.49, 1},
        {"RightEdge", nullptr, 200, 1000, 200},
        {"BeyondTheLast", nullptr, 150, 900, 150},
        {"HalfSpacing", nullptr, 300, 502.5, 201},
        {"ManyToAPixel", nullptr, 100000, 500.004, 50000},
        {"ManyToAPixelNext", nullptr, 100000, 500.006, 50001},
        {"ZoomedFirst", &zoomed, 1000, 0, shown.first},
        {"ZoomedLast", &zoomed, 1000, 1000, shown.last},
    };
    const ChartView whole;
    for (const auto& [name, view, n, x, reading] : cases) {
        SCOPED_TRACE(name);
        const ChartView& v = view != nullptr ? *view : whole;
        EXPECT_EQ(v.nearest(x, n), reading);
        if (n > 1 && x > 0 && x < v.xOf(v.stretch(n).last, n)) {
            EXPECT_LE(std::abs(v.xOf(reading, n) - x), v.xStep(n) / 2 + 1e-9);
        }
    }
    EXPECT_EQ(whole.nearest(500, 0), 0);
    EXPECT_EQ(whole.at(300, 50), 0);  // 50 readings end at x = 250
    EXPECT_EQ(whole.at(250, 50), 50);
}

// Zooming and panning never leave the store and never show fewer than ten readings; the
// stretch holds still while readings arrive; zooming out to all of them, or Home, gives the
// whole view back.
TEST(ChartViewTest, ZoomAndPanStayInTheStore) {
    ChartView view;
    view.zoomTo(0, 1, 9);  // too few readings to zoom
    EXPECT_FALSE(view.zoomed());
    view.zoomTo(0, 1, 10);
    EXPECT_EQ(view.stretch(10), (Stretch{1, 10}));
    view.whole();

    view.zoomTo(600, 400, 1000);  // either way round
    EXPECT_EQ(view.stretch(1000), (Stretch{400, 600}));
    EXPECT_EQ(view.stretch(5000), (Stretch{400, 600}));  // readings arrived
    EXPECT_DOUBLE_EQ(view.xOf(600, 5000), 1000);

    view.whole();
    view.zoomTo(999, 1000, 1000);  // two readings at the end, widened to ten
    EXPECT_EQ(view.stretch(1000), (Stretch{991, 1000}));
    view.zoomAround(500, 3, 1000);  // as narrow as it goes
    EXPECT_EQ(view.stretch(1000).size(), ChartView::kNarrowest);
    view.pan(-5000, 1000);
    EXPECT_EQ(view.stretch(1000), (Stretch{1, 10}));
    view.reveal(15, 1000);
    EXPECT_EQ(view.stretch(1000), (Stretch{6, 15}));
    view.reveal(3, 1000);
    EXPECT_EQ(view.stretch(1000), (Stretch{3, 12}));

    // The wheel keeps the reading under the pointer where it is.
    view.whole();
    view.zoomTo(0, 1000, 1000);
    const std::int32_t anchor = view.nearest(300, 1000);
    view.zoomAround(300, 1, 1000);
    EXPECT_EQ(view.stretch(1000).size(), 800);
    EXPECT_EQ(view.nearest(300, 1000), anchor);
    view.zoomAround(300, -2, 1000);
    EXPECT_FALSE(view.zoomed());
}

// A click sets A, the next B, the third starts again; the keys move the active cursor
// within the store; Tab needs B.
TEST(ChartCursorsTest, ClicksAndKeys) {
    ChartCursors cursors;
    cursors.move(1, 0, 50);  // no readings: nothing to set
    EXPECT_EQ(cursors.a(), 0);
    cursors.move(1, 100, 50);  // none set: A comes where the keys start
    EXPECT_EQ(cursors.a(), 50);
    cursors.switchActive();
    EXPECT_FALSE(cursors.bActive());  // no B to switch to
    cursors.clear();
    cursors.place(10);
    cursors.place(20);
    EXPECT_EQ(std::make_pair(cursors.a(), cursors.b()), std::make_pair(10, 20));
    cursors.move(500, 100, 1);
    EXPECT_EQ(cursors.b(), 100);
    cursors.switchActive();
    cursors.move(-500, 100, 1);
    EXPECT_EQ(std::make_pair(cursors.a(), cursors.b()), std::make_pair(1, 100));
    cursors.keepWithin(50);
    EXPECT_EQ(std::make_pair(cursors.a(), cursors.b()), std::make_pair(1, 0));
    cursors.place(30);  // B, beside the A that stayed
    cursors.place(40);  // a third click starts again
    EXPECT_EQ(std::make_pair(cursors.a(), cursors.b()), std::make_pair(40, 0));
}

}  // namespace
}  // namespace tremolex
