#include "logfile/logformat.h"

#include <gtest/gtest.h>

#include <random>

namespace tremolex {
namespace {

// How any text reads as a log, in pieces of any size, is checked by the logload fuzz target
// against the rules; here, that a saved series reads back exactly.
TEST(LogFormat, WritesOneCountPerLineAndReadsItBack) {
    const std::int16_t extremes[] = {512, -32768, 32767};
    EXPECT_EQ(formatLog(extremes), "512\r\n-32768\r\n32767\r\n");
    EXPECT_EQ(formatLog({}), "");
    std::mt19937 random(5);
    std::vector<std::int16_t> counts(10000);
    for (std::int16_t& count : counts) {
        count = static_cast<std::int16_t>(random());
    }
    LogReader reader(counts.size());
    reader.feed(formatLog(counts));
    reader.finish();
    EXPECT_EQ(reader.counts(), counts);
}

}  // namespace
}  // namespace tremolex
