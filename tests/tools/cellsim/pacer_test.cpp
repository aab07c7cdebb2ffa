#include "pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tremolex::cellsim {
namespace {

TEST(Pacer, LineTimeIsTenBitsAByte) {
    EXPECT_NEAR(Pacer::lineSeconds(4, 19200), 0.0020833, 1e-6);
    EXPECT_NEAR(Pacer::lineSeconds(5, 9600), 0.0052083, 1e-6);
    EXPECT_EQ(Pacer::lineSeconds(0, 19200), 0);
}

// When each of `n` readings of `bytes` goes out, each sent the moment it is due.
std::vector<double> sendTimes(Pacer::Settings settings, int n, std::size_t bytes) {
    Pacer pacer(settings);
    std::vector<double> times;
    for (int i = 0; i < n; ++i) {
        times.push_back(pacer.dueAt(i));
        pacer.sent(times.back(), bytes);
    }
    return times;
}

TEST(Pacer, ReadingsFollowTheIntervalInTimeLapse) {
    const struct {
        double interval, speed;
        double expectedPeriod;
    } cases[] = {{1, 1, 1}, {1, 60, 1.0 / 60}, {0.5, 2, 0.25}, {10, 1, 10}};
    for (const auto& c : cases) {
        const auto times = sendTimes({.interval = c.interval, .speed = c.speed}, 50, 5);
        for (std::size_t i = 0; i < times.size(); ++i) {
            // On the schedule, not drifting by the line time of each reading.
            ASSERT_NEAR(times[i], i * c.expectedPeriod, 1e-9) << c.interval << "/" << c.speed;
        }
    }
}

TEST(Pacer, TimeLapseNeverOutrunsTheLine) {
    for (const int baud : {300, 19200, 115200}) {
        const auto times = sendTimes({.speed = 1e6, .baud = baud}, 100, 5);
        for (std::size_t i = 1; i < times.size(); ++i) {
            ASSERT_GE(times[i] - times[i - 1], Pacer::lineSeconds(5, baud) - 1e-12) << baud;
        }
    }
}

TEST(Pacer, BurstsGoOutTogetherOnceTheLastIsMeasured) {
    const auto times = sendTimes({.interval = 1, .burst = 4}, 8, 4);
    const double line = Pacer::lineSeconds(4, 19200);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(times[i], 3 + i * line, 1e-9) << i;
        EXPECT_NEAR(times[4 + i], 7 + i * line, 1e-9) << 4 + i;
    }
}

TEST(Pacer, RestartGoesOnFromNowInsteadOfCatchingUp) {
    Pacer pacer({.interval = 1, .speed = 2});
    pacer.sent(pacer.dueAt(0), 4);
    pacer.restart(1, 100);
    EXPECT_NEAR(pacer.dueAt(1), 100, 1e-9);
    EXPECT_NEAR(pacer.dueAt(2), 100.5, 1e-9);
}

}  // namespace
}  // namespace tremolex::cellsim
