#include "pacer.h"

#include <gtest/gtest.h>

namespace tremolex::cellsim {
namespace {

// Reading i is due at i * interval / speed, on the schedule rather than drifting by each
// line's time; in a fast time-lapse the line sets the pace: 10 bits a byte at the baud.
TEST(Pacer, ReadingsFollowTheScheduleButNeverOutrunTheLine) {
    const struct {
        double interval, speed;
        int baud;
        double period;
    } cases[] = {{1, 1, 19200, 1},
                 {0.5, 2, 19200, 0.25},
                 {10, 60, 19200, 1.0 / 6},
                 {1, 1e6, 300, 5 * 10 / 300.0},
                 {1, 1e6, 115200, 5 * 10 / 115200.0}};
    for (const auto& c : cases) {
        Pacer pacer({.interval = c.interval, .speed = c.speed, .baud = c.baud});
        for (int i = 0; i < 50; ++i) {
            ASSERT_NEAR(pacer.dueAt(i), i * c.period, 1e-9) << c.speed << " at " << c.baud;
            pacer.sent(pacer.dueAt(i), 5);
        }
    }
}

}  // namespace
}  // namespace tremolex::cellsim
