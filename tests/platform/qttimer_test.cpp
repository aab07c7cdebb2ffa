#include "platform/qt/qttimer.h"

#include <gtest/gtest.h>

#include "support/eventloop.h"

namespace tremolex {
namespace {

TEST(QtTimer, TicksUntilStopped) {
    QtTimer timer;
    int ticks = 0;
    timer.start(std::chrono::milliseconds(1), [&] { ++ticks; });
    EXPECT_TRUE(waitFor([&] { return ticks >= 3; }));
    timer.stop();
    const int stoppedAt = ticks;
    drainEvents();
    EXPECT_EQ(ticks, stoppedAt);
}

}  // namespace
}  // namespace tremolex
