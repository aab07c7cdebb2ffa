#include "platform/labelfit.h"

#include <gtest/gtest.h>

#include <map>

namespace tremolex {
namespace {

// The widest digit by the advances a font gives; the first of equals wins, so that every
// platform measures the same shapes.
TEST(LabelFit, WidestDigitIsTheFirstOfTheWidest) {
    const std::pair<std::map<char, int>, char> cases[] = {
        {{}, '0'},                    // all equal
        {{{'1', 9}}, '1'},            // the first after '0'
        {{{'9', 9}}, '9'},            // the last
        {{{'4', 9}, {'7', 9}}, '4'},  // equals: the first
        {{{'0', 9}, {'5', 9}}, '0'},
        {{{'3', 8}, {'6', 9}}, '6'}};
    for (const auto& [wider, widest] : cases) {
        const auto advance = [&](char digit) {
            const auto it = wider.find(digit);
            return it == wider.end() ? 7 : it->second;
        };
        EXPECT_EQ(LabelFit::widestDigit(advance), widest) << widest;
    }
}

TEST(LabelFit, ShapesTurnEveryDigitIntoTheWidestAndKeepEachOnce) {
    EXPECT_EQ(
        LabelFit::shapes({"Serial port 2 ready", "Serial port 7 ready", "1.2V (512)", "-"}, '8'),
        (std::vector<std::string>{"Serial port 8 ready", "8.8V (888)", "-"}));
}

// A label grows to what its shapes need, never below its design size: to the right and down,
// or (a scale label beside the grid) to the left, centred on its design place.
TEST(LabelFit, PlaceGrowsTheWayTheLabelGrows) {
    using Growth = WindowLabel::Growth;
    const PixelRect design{100, 50, 40, 20};
    struct Case {
        PixelSize needed;
        Growth growth;
        int top;
        LabelFit::Placed placed;
    };
    const Case cases[] = {{{30, 10}, Growth::RightAndDown, 50, {{100, 50, 40, 20}, 0}},
                          {{30, 10}, Growth::LeftAndBothWays, 60, {{100, 60, 40, 20}, 0}},
                          {{70, 27}, Growth::RightAndDown, 50, {{100, 50, 70, 27}, 0}},
                          {{70, 27}, Growth::LeftAndBothWays, 60, {{70, 57, 70, 27}, 3}},
                          {{41, 21}, Growth::LeftAndBothWays, 60, {{99, 60, 41, 21}, 0}},
                          {{41, 22}, Growth::LeftAndBothWays, 60, {{99, 59, 41, 22}, 1}}};
    for (const Case& c : cases) {
        const LabelFit::Placed placed = LabelFit::place(design, c.needed, c.growth, c.top);
        EXPECT_EQ(placed.rect, c.placed.rect) << c.needed.width << "x" << c.needed.height;
        EXPECT_EQ(placed.grownUp, c.placed.grownUp) << c.needed.width << "x" << c.needed.height;
    }
}

}  // namespace
}  // namespace tremolex
