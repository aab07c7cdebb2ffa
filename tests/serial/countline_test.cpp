#include "serial/countline.h"

#include <gtest/gtest.h>

#include <string>

namespace tremolex {
namespace {

// The rules by example; the reception fuzz target checks every line of its inputs against
// its own reading of them.
TEST(CountLine, AcceptsOnlyCanonicalSixteenBitDecimals) {
    EXPECT_EQ(parseCountLine("  -512 "), -512);
    EXPECT_EQ(parseCountLine("32767"), 32767);
    EXPECT_EQ(parseCountLine("-32768"), -32768);
    // More of them in the reception fuzz target's seeds.
    const std::string noCounts[] = {"0512",  "+5",    "-0",    "5 12",   "",
                                    "512\r", "\t512", "32768", "-32769", std::string("2\0", 2)};
    for (const std::string& line : noCounts) {
        EXPECT_EQ(parseCountLine(line), std::nullopt) << line;
    }
}

}  // namespace
}  // namespace tremolex
