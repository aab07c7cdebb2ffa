#include "settings/textnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace tremolex {
namespace {

// The rules by example; the numbers fuzz target checks many more texts, its seeds among
// them, against the C library's strtod.
TEST(Textnum, ReadsTheLeadingNumber) {
    const double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::pair<const char*, double> cases[] = {
        {"4000", 4000}, {".6", 0.6}, {"-.25", -0.25}, {"+5", 5}, {"12abc", 12}, {"5 12", 512},
        {"\t1\n2 .5", 12.5}, {"- 5", -5}, {"5\r1", 5}, {"1,5", 1}, {"1.5E+3", 1500},
        {"15e-1", 1.5}, {"1d3", 1000}, {"12e", 12}, {"", 0}, {"abc", 0}, {"\r5", 0}, {"-", 0},
        {"0x10", 0}, {"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0}};
    // clang-format on
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(textnum(text), value) << text;
    }
    EXPECT_TRUE(std::signbit(textnum("-0.0")));
    // Beyond double either way, told by the digits' place, not the exponent alone.
    const std::string zeros(1000, '0');
    EXPECT_EQ(textnum("." + zeros + "1e1"), 0);
    EXPECT_EQ(textnum(".1" + zeros + "1e500"), inf);
}

}  // namespace
}  // namespace tremolex
