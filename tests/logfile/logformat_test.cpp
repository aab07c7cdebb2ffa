#include "logfile/logformat.h"

#include <gtest/gtest.h>

#include <random>

namespace tremolex {
namespace {

std::vector<std::int16_t> read(std::string_view text) {
    LogReader reader(100000);
    reader.feed(text);
    reader.finish();
    return reader.counts();
}

TEST(LogFormat, WritesOneCountPerLineWithCarriageReturnAndLineFeed) {
    const std::int16_t counts[] = {512, 0, 1023};
    EXPECT_EQ(formatLog(counts), "512\r\n0\r\n1023\r\n");
    const std::int16_t extremes[] = {-5, -32768, 32767};
    EXPECT_EQ(formatLog(extremes), "-5\r\n-32768\r\n32767\r\n");
    EXPECT_EQ(formatLog({}), "");
}

struct ReadCase {
    const char* name;
    std::string text;
    std::vector<std::int16_t> counts;
};

class LogReading : public testing::TestWithParam<ReadCase> {};

TEST_P(LogReading, EveryLineBecomesOneCount) {
    EXPECT_EQ(read(GetParam().text), GetParam().counts);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LogReading,
    testing::Values(ReadCase{"Lenient", "1.5\r\n2.5\r\nabc\r\n\r\n 7 \r\n", {2, 2, 0, 0, 7}},
                    ReadCase{"LastLineWithoutBreak", "512\r\n600", {512, 600}},
                    ReadCase{"TwoBreaksAtTheEnd", "512\r\n\r\n", {512, 0}},
                    ReadCase{"Empty", "", {}}, ReadCase{"CarriageReturnsAlone", "1\r2\r", {1, 2}},
                    ReadCase{"LineFeedsAlone", "512\n513\n\n514", {512, 513, 0, 514}},
                    ReadCase{"BlanksInside", "5 12\t\r\n12abc\r\n-0\r\n", {512, 12, 0}},
                    ReadCase{"OutOfRangeIsClamped",
                             "40000\r\n-1e9\r\n32767.5\r\n-32768.5\r\n99999",
                             {32767, -32768, 32767, -32768, 32767}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogFormat, SavedSeriesReadsBackExactly) {
    std::mt19937 random(5);
    std::vector<std::int16_t> counts(10000);
    for (std::int16_t& count : counts) {
        count = static_cast<std::int16_t>(random());
    }
    EXPECT_EQ(read(formatLog(counts)), counts);
}

}  // namespace
}  // namespace tremolex
