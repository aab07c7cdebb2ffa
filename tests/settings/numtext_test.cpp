#include "settings/numtext.h"

#include <gtest/gtest.h>

namespace tremolex {
namespace {

struct FloatCase {
    float value;
    const char* text;
};

class NumtextSingle : public testing::TestWithParam<FloatCase> {};

TEST_P(NumtextSingle, WritesTheSettingForm) {
    EXPECT_EQ(numtext(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumtextSingle,
    testing::Values(FloatCase{4000, "4000"}, FloatCase{-120, "-120"}, FloatCase{0, "0"},
                    FloatCase{-0.0f, "0"}, FloatCase{5, "5"}, FloatCase{0.6f, ".6"},
                    FloatCase{-0.25f, "-.25"}, FloatCase{1.6006843f, "1.600684"},
                    FloatCase{1.2512219f, "1.251222"}, FloatCase{0.9775171f, ".9775171"},
                    FloatCase{0.09775171f, ".09775171"},  // the value caption shows ".0977"
                    FloatCase{2.3999996f, "2.4"},         // eight steps up from 1.6
                    FloatCase{0.002443793f, ".002443793"}, FloatCase{1500.5f, "1500.5"},
                    FloatCase{1e7f, "10000000"}, FloatCase{1.5e20f, "1.5E+20"},
                    FloatCase{-2.5e-12f, "-2.5E-12"}));

TEST(Numtext, WholeAndDoubleNumbers) {
    EXPECT_EQ(numtext(std::int32_t{-2147483647 - 1}), "-2147483648");
    EXPECT_EQ(numtext(std::int32_t{512}), "512");
    EXPECT_EQ(numtext(2.0), "2");
    EXPECT_EQ(numtext(0.1), ".1");
    EXPECT_EQ(numtext(1.0 / 3.0), ".333333333333333");
}

}  // namespace
}  // namespace tremolex
