#include "serial/samplereception.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fakes/fakeclock.h"

namespace tremolex {
namespace {

class SampleReceptionTest : public testing::Test {
protected:
    double chargeTime() const {
        return static_cast<double>(times.lasttime) - static_cast<double>(times.starttime);
    }

    RxBuffer rxbuffer;
    SampleStore store;
    ChargeTimes times;
    FakeClock clock;
    SampleReception reception{rxbuffer, store, times, clock};
};

TEST_F(SampleReceptionTest, AfterALoadedLogSamplesFollowAndTheStartStays) {
    for (int i = 0; i < 500; ++i) {
        store.append(400);
    }
    times = {3600, 3600};
    clock.now = 3700;
    reception.receive("600\n");
    EXPECT_EQ(store.samplecount(), 501);
    EXPECT_EQ(store.sample(501), 600);
    EXPECT_EQ(times.starttime, 3600.0f);
    EXPECT_EQ(times.lasttime, 3700.0f);
}

TEST_F(SampleReceptionTest, MidnightKeepsTheChargeTimeGoing) {
    times = {86390, 86390};
    store.append(400);
    clock.now = 5;
    reception.receive("401\n");
    EXPECT_EQ(times.starttime, -10.0f);
    EXPECT_DOUBLE_EQ(chargeTime(), 15.0);
}

// A capture of three days with a sample every ten minutes passes three midnights.
TEST_F(SampleReceptionTest, ChargeTimeStaysRightAcrossSeveralMidnights) {
    const double start = 80000;
    for (int i = 0; i <= 3 * 144; ++i) {
        const double elapsed = i * 600.0;
        clock.script = {static_cast<float>(std::fmod(start + elapsed, 86400.0)),
                        static_cast<float>(std::fmod(start + elapsed, 86400.0))};
        reception.receive("512\n");
        ASSERT_NEAR(chargeTime(), elapsed + 0.1, 0.05) << "sample " << i;
    }
}

// A clock set back a little must not add a day to the charge time.
TEST_F(SampleReceptionTest, SmallBackwardClockStepIsNotAMidnight) {
    clock.script = {50000, 50000, 49998};
    reception.receive("1\n2\n");
    EXPECT_NEAR(chargeTime(), -1.9, 0.01);
}

}  // namespace
}  // namespace tremolex
