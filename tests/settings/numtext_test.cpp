#include "settings/numtext.h"

#include <gtest/gtest.h>

#include <utility>

namespace tremolex {
namespace {

// The numbers fuzz target checks that every text reads back as its value; these pin the
// form. .09775171 shows as ".0977" in the value caption; 2.3999996 is eight steps up from 1.6.
TEST(Numtext, WritesTheSettingForm) {
    // clang-format off
    const std::pair<float, const char*> singles[] = {
        {4000, "4000"}, {-120, "-120"}, {0, "0"}, {1, "1"}, {-0.0f, "0"}, {5, "5"}, {0.6f, ".6"},
        {-0.25f, "-.25"}, {1500.5f, "1500.5"}, {1e7f, "10000000"}, {1.6006843f, "1.600684"},
        {0.09775171f, ".09775171"}, {2.3999996f, "2.4"}, {0.002443793f, ".002443793"},
        {1.5e20f, "1.5E+20"}, {-2.5e-12f, "-2.5E-12"}};
    // clang-format on
    for (const auto& [value, text] : singles) {
        EXPECT_EQ(numtext(value), text);
    }
    EXPECT_EQ(numtext(1.0 / 3.0), ".333333333333333");
    EXPECT_EQ(numtext(1e15), "1E+15");  // the first power of ten written with an exponent
}

}  // namespace
}  // namespace tremolex
