#include "app/apppath.h"

#include <gtest/gtest.h>

#include <utility>

namespace tremolex {
namespace {

TEST(AppPath, EndsInOneSeparator) {
    const std::pair<const char*, const char*> cases[] = {
#ifdef _WIN32
        {"D:\\Meters\\Bench", "d:\\meters\\bench\\"},
        {"C:\\", "c:\\"},                                                // no second separator
        {"C:/Program Files/Tremolex", "c:\\program files\\tremolex\\"},  // as Qt gives it
        {"C:/", "c:\\"},
        {"E:\\M\xc3\xbcLLER", "e:\\m\xc3\xbcller\\"},  // UTF-8 bytes stay whole
#else
        {"/opt/Tremolex/bin", "/opt/Tremolex/bin/"},
        {"/", "/"},
#endif
    };
    for (const auto& [folder, expected] : cases) {
        EXPECT_EQ(appPathOf(folder), expected) << folder;
    }
}

}  // namespace
}  // namespace tremolex
