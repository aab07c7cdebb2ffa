#include "platform/windows/win32sleepinhibitor.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tremolex {
namespace {

// The thread's execution state asks the system to stay awake; reading it means setting it,
// so the probe sets it to what it read.
bool systemRequired() {
    const EXECUTION_STATE state = SetThreadExecutionState(ES_CONTINUOUS);
    SetThreadExecutionState(state);
    return (state & ES_SYSTEM_REQUIRED) != 0;
}

TEST(Win32SleepInhibitor, HoldsUntilReleasedOrDestroyed) {
    {
        Win32SleepInhibitor inhibitor;
        inhibitor.hold();
        inhibitor.hold();
        EXPECT_TRUE(inhibitor.held() && systemRequired());
        inhibitor.release();
        EXPECT_FALSE(inhibitor.held() || systemRequired());
        inhibitor.hold();
    }
    EXPECT_FALSE(systemRequired());
}

}  // namespace
}  // namespace tremolex
