#include "serial/samplereception.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fakes/fakeclock.h"

namespace tremolex {
namespace {

// What is stored, and the clock readings of a capture, are checked by the reception fuzz
// target; here, the charge time where the clock passes midnight or goes back. A capture of
// three days with a sample every ten minutes passes three midnights.
TEST(SampleReception, ChargeTimeStaysRightAcrossMidnightsAndClockSteps) {
    RxBuffer rxbuffer;
    SampleStore store;
    ChargeTimes times;
    FakeClock clock;
    SampleReception reception{rxbuffer, store, times, clock};
    const double start = 80000, days = 3;
    for (int i = 0; i <= days * 144; ++i) {
        const auto now = static_cast<float>(std::fmod(start + i * 600.0, 86400.0));
        clock.script = {now, now};
        reception.receive("512\n");
        ASSERT_NEAR(times.lasttime - double{times.starttime}, i * 600.0 + 0.1, 0.05) << i;
    }
    clock.script = {static_cast<float>(start - 39600)};  // set back by less than half a day
    reception.receive("512\n");
    EXPECT_NEAR(times.lasttime - double{times.starttime}, days * 86400 - 39600 + 0.1, 0.05);
}

}  // namespace
}  // namespace tremolex
