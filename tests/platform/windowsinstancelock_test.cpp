#include "platform/windows/windowsinstancelock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace tremolex {

TEST(WindowsInstanceLock, SecondCopyIsRefusedUntilTheFirstEnds) {
    const std::string name = "Local\\Tremolex test " + std::to_string(GetCurrentProcessId());
    std::optional<WindowsInstanceLock> first(name);
    EXPECT_TRUE(first->tryLock());
    WindowsInstanceLock second(name);
    EXPECT_FALSE(second.tryLock());
    first.reset();  // the first copy ends, or crashes
    EXPECT_TRUE(second.tryLock());
}

}  // namespace tremolex
