#include "logfile/logformat.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace tremolex {
namespace {

// How any text reads as a log, in pieces of any size, is checked by the logload fuzz target
// against the rules; here, that a saved series reads back exactly.
TEST(LogFormat, WritesOneCountPerLineAndReadsItBack) {
    const std::int16_t extremes[] = {512, -32768, 32767};
    EXPECT_EQ(formatLog(extremes), "512\r\n-32768\r\n32767\r\n");
    EXPECT_EQ(formatLog({}), "");
    std::vector<std::int16_t> counts(10000);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        counts[i] = static_cast<std::int16_t>(i * 7919);  // spread over the whole range
    }
    LogReader reader(counts.size());
    reader.feed(formatLog(counts));
    reader.finish();
    EXPECT_EQ(reader.counts(), counts);
}

// The first line too long for a graph log ends the reading, in whatever piece a later one is.
TEST(LogFormat, ReadingStopsAtTheFirstOverlongLine) {
    LogReader reader(10);
    const std::string overlong(LogReader::kLongestLine + 1, '7');
    reader.feed(overlong + "\r\n");
    reader.feed("5\r\n" + overlong + "\r\n");
    EXPECT_EQ(reader.overlongLine(), 1);  // and nothing of the second piece was read
    EXPECT_TRUE(reader.counts().empty());
}

// Pieces that end in blanks or in a number, each in a buffer of its own size: nothing past
// a piece's end is read (the sanitizers see it).
TEST(LogFormat, ReadsNothingPastTheEndOfAPiece) {
    LogReader reader(10);
    for (const std::string_view piece : {"  12  ", "\r\n   ", "  7", "\n-3 ", "  "}) {
        const std::vector<char> exact(piece.begin(), piece.end());
        reader.feed({exact.data(), exact.size()});
    }
    reader.finish();
    EXPECT_EQ(reader.counts(), (std::vector<std::int16_t>{12, 7, -3}));
}

}  // namespace
}  // namespace tremolex
