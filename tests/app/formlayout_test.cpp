#include "app/formlayout.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "app/outerframe.h"
#include "app/windowgeometry.h"

namespace tremolex {
namespace {

// Each case: the outer size asked for, the window's and its chart's, the grid step, and the
// tops of lab1 .. lab7. The first was dragged below the minimum; in it 4585 / 14 = 327.5 goes to
// the even 328, in the second 4935 / 14 = 352.5 to the even 352, not 353.
TEST(FormLayout, ChartAndLabelsFollowTheWindow) {
    // clang-format off
    using Size = FormLayout::Size;
    const std::tuple<Size, Size, Size, int, std::array<float, 7>> cases[] = {
        {{6000, 6500}, {7000, 7000}, {5875, 4585}, 328, {5474, 4818, 4162, 3506, 2850, 2194, 1538}},
        {{7000, 7350}, {7000, 7350}, {5875, 4935}, 352, {5786, 5082, 4378, 3674, 2970, 2266, 1562}},
        {{7140, 9150}, {7140, 9150}, {6015, 6735}, 481, {7463, 6501, 5539, 4577, 3615, 2653, 1691}},
        {{8000, 8000}, {8000, 8000}, {6875, 5585}, 399, {6397, 5599, 4801, 4003, 3205, 2407, 1609}},
    };
    // clang-format on
    const auto sides = [](Size size) { return std::pair(size.width, size.height); };
    for (const auto& [outer, windowSize, chartSize, gridstep, tops] : cases) {
        const Size window = FormLayout::windowSize(outer);
        // The client area of a window whose decorations are the design's.
        const Size chart =
            FormLayout::chartSize({window.width - FormLayout::kDesignDecorationsWidth,
                                   window.height - FormLayout::kDesignDecorationsHeight});
        EXPECT_EQ(sides(window), sides(windowSize));
        EXPECT_EQ(sides(chart), sides(chartSize));
        EXPECT_EQ(FormLayout::gridstep(chart.height), gridstep);
        EXPECT_EQ(FormLayout::labelTops(FormLayout::kChartTop, gridstep), tops);
    }
}

TEST(WindowGeometry, StoredNumbersBeyondAnyWindowGiveTheDefault) {
    const std::pair<const char*, float> cases[] = {
        {"1500", 1500}, {" 1500", 1500}, {"abc", 0},     {"-2000", -2000},
        {"1e7", 4000},  {"1e400", 4000}, {"-1e6", 4000}, {"999999", 999999}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(WindowGeometry::settingValue(text, 4000), value) << text;
    }
}

TEST(WindowGeometry, WindowOffEveryScreenComesBackToTheDefaultPlace) {
    const WindowGeometry::Rect screens[] = {{0, 0, 28800, 16200}, {28800, 0, 19200, 16200}};
    const auto placed = [&](float left, float top, float size = 8000) {
        const WindowGeometry g = WindowGeometry::keptOnScreen({left, top, size, size}, screens);
        return std::pair(g.left, g.top);
    };
    EXPECT_EQ(placed(40000, 1000), std::pair(40000.f, 1000.f));    // on the second screen
    EXPECT_EQ(placed(47000, 15000), std::pair(47000.f, 15000.f));  // partly on it
    EXPECT_EQ(placed(50000, 1000), std::pair(4000.f, 3000.f));     // that screen was removed
    EXPECT_EQ(placed(-7500, -7500), std::pair(-7500.f, -7500.f));  // a corner shows
    EXPECT_EQ(placed(-7000, 2000, 0), std::pair(4000.f, 3000.f));  // 7000 wide at least
}

// A window manager that tells the decorations only after mapping (openbox: 2 by 25 px),
// changes them later, or never tells any.
TEST(OuterFrame, KeepsTheOuterSizeWhateverTheDecorations) {
    using Size = OuterFrame::Size;
    OuterFrame frame(15);
    EXPECT_EQ(frame.applied(OuterFrame::Edge::Width, 8000), 533);  // 533.3 px
    EXPECT_EQ(frame.clientFor({533, 533}), (Size{533, 533}));      // nothing known yet
    EXPECT_EQ(frame.framed({533, 533}, {533, 533}, true), std::nullopt);

    EXPECT_EQ(frame.framed({535, 558}, {533, 533}, true), (Size{531, 508}));  // mapped
    EXPECT_EQ(frame.decorations(), (Size{2, 25}));
    EXPECT_EQ(frame.framed({533, 533}, {531, 508}, true), std::nullopt);   // as it should be
    EXPECT_EQ(frame.framed({600, 525}, {598, 500}, true), std::nullopt);   // the user resized
    EXPECT_EQ(frame.framed({600, 525}, {600, 525}, false), std::nullopt);  // maximised: no borders
    EXPECT_EQ(frame.framed({600, 530}, {598, 500}, true), (Size{598, 495}));  // a new theme
    EXPECT_EQ(frame.clientFor({467, 467}), (Size{465, 437}));  // the 7000-twip minimum
    EXPECT_EQ(frame.clientFor({1, 1}), (Size{1, 1}));
    // A place left of the screen is kept to the fraction of a pixel.
    EXPECT_EQ(frame.applied(OuterFrame::Edge::Left, -7.4f), 0);
    EXPECT_EQ(frame.reported(OuterFrame::Edge::Left, 0), -7.4f);
    frame.setTwipsPerPixel(10);  // moved to a 144 dpi screen
    EXPECT_EQ(frame.reported(OuterFrame::Edge::Left, 0), 0);
    EXPECT_EQ(frame.reported(OuterFrame::Edge::Width, 800), 8000);
    // Borders without a title bar: no height added is decorations all the same.
    EXPECT_EQ(frame.framed({600, 495}, {598, 495}, true), (Size{598, 525}));
}

}  // namespace
}  // namespace tremolex
