#include "linemaker.h"

#include <gtest/gtest.h>

#include <limits>

#include "serial/countline.h"

namespace tremolex::cellsim {
namespace {

TEST(LineMaker, CountsAreRoundedAndHeldToTheConverterRangeAndEndAsAsked) {
    const std::pair<double, int> cases[] = {
        {2.5, 1023},   {1.25, 512} /* 511.5 */,
        {1.2487, 511}, {-0.3, 0},
        {3.1, 1023},   {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& [volts, count] : cases) {
        EXPECT_EQ(countForVolts(volts), count) << volts;
    }
    EXPECT_EQ(LineMaker({.ending = LineEnding::LineFeed}).lines(1.25), "512\n");
    EXPECT_EQ(LineMaker({.ending = LineEnding::CrLf}).lines(1.25), "512\r\n");
    EXPECT_EQ(LineMaker({.ending = LineEnding::None}).lines(1.25), "512");
}

// An "invalid" line the program took as a reading would hide the very fault --garbage is
// there to show.
TEST(LineMaker, InvalidLinesAreRefusedByTheProgram) {
    for (const std::string_view line : LineMaker::invalidLines()) {
        EXPECT_EQ(parseCountLine(line), std::nullopt) << "\"" << line << "\"";
    }
}

}  // namespace
}  // namespace tremolex::cellsim
