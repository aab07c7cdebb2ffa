#include "settings/textnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tremolex {
namespace {

struct TextCase {
    const char* name;
    std::string text;
    double value;
};

class Textnum : public testing::TestWithParam<TextCase> {};

TEST_P(Textnum, ReadsTheLeadingNumber) {
    EXPECT_EQ(textnum(GetParam().text), GetParam().value);
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, Textnum,
    testing::Values(
        TextCase{"Plain", "4000", 4000}, TextCase{"LeadingBlank", " 4000", 4000},
        TextCase{"NoZeroBeforePoint", ".6", 0.6}, TextCase{"Fraction", "0.6", 0.6},
        TextCase{"Empty", "", 0}, TextCase{"Letters", "abc", 0},
        TextCase{"DigitsThenLetters", "12abc", 12}, TextCase{"BlankInside", "5 12", 512},
        TextCase{"TabsAndLineFeeds", "\t1\n2 .5", 12.5}, TextCase{"CarriageReturnEnds", "5\r1", 5},
        TextCase{"CarriageReturnFirst", "\r5", 0}, TextCase{"Negative", "-.25", -0.25},
        TextCase{"BlankAfterSign", "- 5", -5}, TextCase{"Plus", "+5", 5},
        TextCase{"SignAlone", "-", 0}, TextCase{"PointAlone", ".", 0},
        TextCase{"TrailingPoint", "12.", 12}, TextCase{"Exponent", "1.5E+3", 1500},
        TextCase{"LowerExponent", "15e-1", 1.5}, TextCase{"ClassicDExponent", "1d3", 1000},
        TextCase{"ExponentWithoutDigits", "12e", 12}, TextCase{"ExponentSignOnly", "12e+x", 12},
        TextCase{"Comma", "1,5", 1}, TextCase{"Hex", "0x10", 0},
        TextCase{"ManyLeadingZeros", std::string(500, '0') + "7", 7},
        TextCase{"TooLarge", "1e400", kInf}, TextCase{"TooLargeNegative", "-1e400", -kInf},
        TextCase{"ManyDigits", std::string(400, '9'), kInf}, TextCase{"TooSmall", "1e-400", 0},
        TextCase{"TooSmallAfterZeros", ".0001e-320", 0},
        TextCase{"HugeExponent", "1e99999999999999999999", kInf}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{0.5, 0},  {1.5, 2},        {2.5, 2}, {-2.5, -2},
                                               {4.5, 4},  {5.5, 6},        {2.4, 2}, {2.6, 3},
                                               {-0.4, 0}, {32767.5, 32768}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(roundHalfEven(in), out) << in;
    }
}

}  // namespace
}  // namespace tremolex
