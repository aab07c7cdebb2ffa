#include "platform/linesettings.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tremolex {
namespace {

using namespace std::string_view_literals;
using P = LineSettings::Parity;
using S = LineSettings::StopBits;

TEST(LineSettings, ReadsEveryField) {
    const std::pair<const char*, LineSettings> cases[] = {
        {"19200,n,8,1", {19200, P::None, 8, S::One}},
        {"9600,E,7,2", {9600, P::Even, 7, S::Two}},
        {"300,m,5,1.5", {300, P::Mark, 5, S::OneAndHalf}},
        {"1200,s,6,1", {1200, P::Space, 6, S::One}},
        {"2147483647,o,8,1", {2147483647, P::Odd, 8, S::One}},
    };
    for (const auto& [text, settings] : cases) {
        EXPECT_EQ(parseLineSettings(text), settings) << text;
    }
}

// One row for each check: each would be read if its own check were missing.
TEST(LineSettings, RefusesAnythingElse) {
    const std::string_view cases[] = {
        "19200,x,8,1",    "19200,no,8,1",     "0,n,8,1",      "+9600,n,8,1",
        "09600,n,8,1",    "2147483648,n,8,1", "19200,n,4,1",  "19200,n,9,1",
        "19200,n,8,3",    "19200,n,8",        "19200,n,8,1,", "99999999999999999999,n,8,1",
        "19\0200,n,8,1"sv};
    for (const std::string_view text : cases) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace tremolex
