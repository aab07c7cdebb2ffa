#include "charge/levelfilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace tremolex {
namespace {

// Feeds a reading every `interval` seconds from 0 to `until`, as the detector does (none
// where `count` is negative: a pause), and collects what each finished bin showed.
std::vector<LevelFilter::Look> feed(double interval, double until,
                                    const std::function<int(int reading, double seconds)>& count) {
    LevelFilter filter;
    filter.restart(0);
    std::vector<LevelFilter::Look> looks;
    int reading = 0;
    for (double s = 0; s <= until; s = ++reading * interval) {
        const int counts = count(reading, s);
        if (counts < 0) {
            continue;
        }
        while (filter.due(s)) {
            looks.push_back(filter.finish());
        }
        filter.add(static_cast<std::int16_t>(counts), s);
    }
    return looks;
}

// A steady 587 counts with faults of a real set-up: every level and recent level taken stays
// within half a count of it.
TEST(LevelFilter, LeavesSpikesAndBounceOutOfTheLevel) {
    struct Case {
        const char* name;
        double interval;
        std::function<int(int, double)> count;
    };
    const Case cases[] = {
        {"a spike at one reading a second", 1, [](int, double s) { return s == 600 ? 602 : 587; }},
        {"a spike at one reading in 10 s", 10, [](int, double s) { return s == 600 ? 572 : 587; }},
        {"bounce over 3 readings at one in 8.5 s", 8.5,
         [](int i, double) { return i >= 70 && i < 73 ? 566 : 587; }},
        // Bounce whose second reading also caught a spike: 4 counts low, beside a bounced bin.
        {"bounce then a reading 4 counts low, one in 8.5 s", 8.5,
         [](int i, double) { return i == 70   ? 566
                                    : i == 71 ? 583
                                              : 587; }},
        {"a second's worth of bounce at 400/s", 0.0025,
         [](int, double s) { return s >= 600 && s < 601 ? 607 : 587; }},
        {"a level 60 mV off for two minutes", 1,
         [](int, double s) { return s >= 600 && s < 720 ? 612 : 587; }},
        // Bounce 21 counts high whose second reading caught a spike 17 low, and a spike of
        // 7 after it, across a pause: both stand out less than the median test allows.
        {"bounce with a spike in it, a pause, a spike, one in 7.6 s", 7.6,
         [](int i, double) {
             constexpr int kOff[] = {21, 4, 20, -588, -588, 22, 0, 7};
             return i >= 80 && i < 88 ? 587 + kOff[i - 80] : 587;
         }},
        // After a pause of 170 s the first five readings are bounce and a spike lands beside
        // them: they fill the window on their own, yet their level is no climb of the pause.
        {"bounce filling the window after a pause, one in 9.2 s", 9.2,
         [](int i, double) {
             return i >= 60 && i < 78 ? -1 : i >= 78 && i < 83 ? 607 : i == 84 ? 604 : 587;
         }},
    };
    for (const Case& c : cases) {
        int levels = 0;
        for (const LevelFilter::Look& look : feed(c.interval, 1200, c.count)) {
            if (look.window) {
                ++levels;
                EXPECT_NEAR(look.window->level.counts, 587, 0.5) << c.name << " bin " << look.bin;
                EXPECT_NEAR(look.window->recent.value_or(587), 587, 0.5)
                    << c.name << " bin " << look.bin;
                EXPECT_FALSE(look.jumped) << c.name;
            }
        }
        EXPECT_GT(levels, 70) << c.name;  // every 10 s but while the window was off
    }
}

// A jump of 63 counts that stays 3 minutes is another cell: passed over until then, then
// taken, said to have jumped once. (A smaller one passes as a steep climb sooner.)
TEST(LevelFilter, TakesALargeJumpThatStaysThreeMinutes) {
    int jumps = 0;
    double last = 0;
    for (const LevelFilter::Look& look :
         feed(1, 1200, [](int, double s) { return s < 600 ? 587 : 650; })) {
        jumps += look.jumped ? 1 : 0;
        if (look.window) {
            EXPECT_FALSE(look.bin > 127 && look.bin < 164) << look.bin;
            last = look.window->level.counts;
        }
    }
    EXPECT_EQ(jumps, 1);
    EXPECT_EQ(last, 650);
}

// Bins stepping ±2 counts in turn: a bin's variance is half the steps' sample variance, and
// a level's spread that over the square root of its bins (18 in the window, 9 recent). Until
// 10 steps are known, a bin's mean is taken as off by half a count.
TEST(LevelFilter, MeasuresTheNoiseFromTheStepsBetweenBins) {
    int checked = 0;
    for (const LevelFilter::Look& look : feed(1, 400, [](int, double s) {
             return (static_cast<int>(s) / 5) % 2 == 0 ? 500 : 502;
         })) {
        if (!look.window) {
            continue;
        }
        // Every bin but the first and the newest (not yet known to be no spike) has one.
        const double steps = static_cast<double>(look.bin - 1);
        const double sum = static_cast<int>(steps) % 2 == 1 ? 2 : 0;  // +2, -2, +2, ...
        const double variance =
            steps < 10 ? 0.25 : (4 * steps - sum * sum / steps) / (steps - 1) / 2;
        const double bins = std::min<double>(18, static_cast<double>(look.bin + 1));
        EXPECT_NEAR(look.window->spread, std::sqrt(variance / bins), 1e-9) << look.bin;
        EXPECT_NEAR(look.window->recentSpread, std::sqrt(variance / std::min(9.0, bins)), 1e-9)
            << look.bin;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

}  // namespace
}  // namespace tremolex
