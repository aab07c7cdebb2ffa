#include "platform/linesettings.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tremolex {

using namespace std::string_view_literals;
using P = LineSettings::Parity;
using S = LineSettings::StopBits;

// The program sends "<baud rate>,n,8,1", the baud rate as the settings file holds it, so
// a value edited by hand must be checked in full. One refused row for each check: each
// would be read if its own check were missing.
TEST(LineSettings, ReadsEveryFieldAndRefusesAnythingElse) {
    EXPECT_EQ(parseLineSettings("19200,n,8,1"), (LineSettings{19200, P::None, 8, S::One}));
    EXPECT_EQ(parseLineSettings("2147483647,E,7,1.5"),
              (LineSettings{2147483647, P::Even, 7, S::OneAndHalf}));
    const std::string_view refused[] = {
        "19200,x,8,1",    "19200,no,8,1",     "0,n,8,1",      "+9600,n,8,1",
        "09600,n,8,1",    "2147483648,n,8,1", "19200,n,4,1",  "19200,n,9,1",
        "19200,n,8,3",    "19200,n,8",        "19200,n,8,1,", "99999999999999999999,n,8,1",
        "19\0200,n,8,1"sv};
    for (const std::string_view text : refused) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

}  // namespace tremolex
