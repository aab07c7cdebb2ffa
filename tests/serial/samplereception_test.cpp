#include "serial/samplereception.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fakeclock.h"
#include "fakes/fakeobserver.h"

namespace tremolex {
namespace {

// What is stored is checked by the reception fuzz target; here, the times each reading
// gets. The charge time follows the steady clock only: the wall clock set back an hour,
// forward an hour and back 2.5 s moves the readings' wall times and nothing else. A full
// store turns readings away, but its observers still get them, timed, at index 0.
TEST(SampleReception, StampsEachReadingWithBothClocksAndTheWallClockBendsNoChargeTime) {
    RxBuffer rxbuffer;
    SampleStore store;
    ChargeTimes times;
    FakeClock clock;
    clock.now = 1000;
    clock.step = 10;
    FakeObserver first, second;
    SampleReception reception{rxbuffer, store, times, clock};
    reception.setObservers({&first, &second});
    const std::int64_t wall = clock.wallAhead;
    const double steps[] = {0, -3600, 3600, -2.5};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        clock.wallAhead += static_cast<std::int64_t>(steps[i] * 1000);
        reception.receive("512\n");
        const ReadingTime time = store.time(store.samplecount());
        EXPECT_NEAR(time.chargeSeconds, 0.1 + 10.0 * static_cast<double>(i), 1e-9) << i;
        EXPECT_EQ(time.utcMilliseconds, clock.wallAhead + 1000 * (1000 + 10 * std::int64_t(i)));
        EXPECT_DOUBLE_EQ(times.lasttime - times.starttime, time.chargeSeconds);
    }
    EXPECT_EQ(clock.wallAhead, wall - 2500);

    while (!store.full()) {
        store.append(1);
    }
    reception.receive("513\n");
    ASSERT_EQ(second.arrived.size(), 5U);
    EXPECT_EQ(second.arrived.back().index, 0);
    EXPECT_EQ(second.arrived.back().count, 513);
    EXPECT_NEAR(second.arrived.back().time.chargeSeconds, 40.1, 1e-9);
    EXPECT_EQ(second.arrived[3].index, 4);
    EXPECT_EQ(first.arrived.size(), second.arrived.size());
    EXPECT_DOUBLE_EQ(times.lasttime, 1030);  // the latest stored reading's
}

}  // namespace
}  // namespace tremolex
