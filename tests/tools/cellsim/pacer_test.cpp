#include "pacer.h"

#include <gtest/gtest.h>

namespace tremolex::cellsim {
namespace {

// Reading i is due at i * interval / speed, on the schedule rather than drifting by each
// line's time; in a fast time-lapse the line sets the pace: 10 bits a byte at the baud.
TEST(Pacer, ReadingsFollowTheScheduleButNeverOutrunTheLine) {
    // interval, speed, baud, seconds between readings of 5 bytes
    const std::tuple<double, double, int, double> cases[] = {{1, 1, 19200, 1},
                                                             {10, 60, 19200, 1.0 / 6},
                                                             {1, 1e6, 300, 5 * 10 / 300.0},
                                                             {1, 1e6, 115200, 5 * 10 / 115200.0}};
    for (const auto& [interval, speed, baud, period] : cases) {
        Pacer pacer({.interval = interval, .speed = speed, .baud = baud});
        for (int i = 0; i < 50; ++i) {
            ASSERT_NEAR(pacer.dueAt(i), i * period, 1e-9) << speed << " at " << baud;
            pacer.sent(pacer.dueAt(i), 5);
        }
    }
}

}  // namespace
}  // namespace tremolex::cellsim
