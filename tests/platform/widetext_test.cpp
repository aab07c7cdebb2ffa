#include "platform/windows/widetext.h"

#include <gtest/gtest.h>

namespace tremolex {

TEST(WideTextTest, ConvertsBetweenUtf8AndUtf16) {
    const std::string utf8 = "Grüße, 3,7 V – 𝄞";
    const std::wstring utf16 = L"Gr\u00fc\u00dfe, 3,7 V \u2013 \U0001D11E";  // a surrogate pair
    EXPECT_EQ(toWide(utf8), utf16);
    EXPECT_EQ(toUtf8(utf16), utf8);
}

}  // namespace tremolex
