#include "platform/windows/windowsinstancelock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

namespace tremolex {
namespace {

TEST(WindowsInstanceLock, SecondCopyIsRefusedUntilTheFirstEnds) {
    const std::string name = "Local\\Tremolex test " + std::to_string(GetCurrentProcessId());

    auto first = std::make_unique<WindowsInstanceLock>(name);
    EXPECT_TRUE(first->tryLock());
    EXPECT_TRUE(first->tryLock());  // held already
    WindowsInstanceLock second(name);
    EXPECT_FALSE(second.tryLock());

    first.reset();  // the first copy ends, or crashes
    EXPECT_TRUE(second.tryLock());
    EXPECT_FALSE(WindowsInstanceLock(name).tryLock());
}

}  // namespace
}  // namespace tremolex
