#include "serial/countline.h"

#include <gtest/gtest.h>

namespace tremolex {
namespace {

struct LineCase {
    const char* name;
    std::string line;
    std::optional<std::int16_t> count;
};

class CountLine : public testing::TestWithParam<LineCase> {};

TEST_P(CountLine, AcceptsOnlyCanonicalSixteenBitDecimals) {
    EXPECT_EQ(parseCountLine(GetParam().line), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CountLine,
    testing::Values(
        LineCase{"Plain", "512", 512}, LineCase{"SpacesAround", "  512 ", 512},
        LineCase{"Zero", "0", 0}, LineCase{"Negative", "-5", -5}, LineCase{"Max", "32767", 32767},
        LineCase{"Min", "-32768", -32768}, LineCase{"LeadingZero", "0512", std::nullopt},
        LineCase{"Plus", "+5", std::nullopt}, LineCase{"Fraction", "5.0", std::nullopt},
        LineCase{"MinusZero", "-0", std::nullopt}, LineCase{"SpaceInside", "5 12", std::nullopt},
        LineCase{"Empty", "", std::nullopt}, LineCase{"SpacesOnly", "   ", std::nullopt},
        LineCase{"CarriageReturn", "512\r", std::nullopt}, LineCase{"Tab", "\t512", std::nullopt},
        LineCase{"Letters", "abc", std::nullopt}, LineCase{"MinusAlone", "-", std::nullopt},
        LineCase{"DoubleMinus", "--5", std::nullopt}, LineCase{"Exponent", "5e2", std::nullopt},
        LineCase{"AboveRange", "32768", std::nullopt},
        LineCase{"BelowRange", "-32769", std::nullopt},
        LineCase{"FarAboveRange", "40000", std::nullopt},
        LineCase{"RoundsAboveRange", "32767.5", std::nullopt},
        LineCase{"SixDigits", "100000", std::nullopt},
        LineCase{"NulInside", std::string("2\0", 2), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tremolex
