#include "charge/chargemonitor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "chart/captions.h"
#include "fakes/fakeclock.h"
#include "fakes/fakedesktop.h"
#include "fakes/fakewidgets.h"
#include "serial/samplereception.h"

namespace tremolex {
namespace {

// Readings at clock times, then the clock now: for how long they stalled (-1: not stalled).
TEST(StallWatch, StallsAfterTheLongerOf30sAndTenUsualIntervals) {
    const std::tuple<const char*, std::vector<double>, double, double> cases[] = {
        {"FastReadingsKeepTheFloor", {0, 1, 2}, 32.5, 30.5},
        {"TenSlowIntervalsNotYet", {0, 5, 10, 15}, 65, -1},
        {"TenSlowIntervalsPassed", {0, 5, 10, 15}, 65.5, 50.5},
        {"OneLongGapDoesNotStretchIt", {0, 5, 10, 15, 200, 205, 210}, 261, 51},
        {"DaysIntoTheClock", {2e6, 2e6 + 10, 2e6 + 20}, 2e6 + 130.5, 110.5},
        // Intervals 1 to 9 s in a shuffled order: their median is 5, so 50 s of silence.
        {"MedianOfNineNotYet", {0, 7, 9, 18, 21, 25, 31, 32, 40, 45}, 94.5, -1},
        {"MedianOfNinePassed", {0, 7, 9, 18, 21, 25, 31, 32, 40, 45}, 95.5, 50.5},
        // Four intervals 10, 2, 6, 4: the upper middle one, 6.
        {"MedianOfFourNotYet", {0, 10, 12, 18, 22}, 81.5, -1},
        {"MedianOfFourPassed", {0, 10, 12, 18, 22}, 82.5, 60.5},
    };
    for (const auto& [name, readings, now, stalled] : cases) {
        StallWatch watch;
        for (const double at : readings) {
            watch.reading(at);
        }
        EXPECT_NEAR(watch.stalledFor(now).value_or(-1), stalled, 1e-3) << name;
    }
}

// The monitor on the reception's hook, as the window wires them, with "," as separator.
class ChargeMonitorTest : public testing::Test {
protected:
    ChargeMonitorTest() { reception.setObservers({&monitor, nullptr}); }
    void read(int count, double at) {
        clock.now = at;
        reception.receive(std::to_string(count) + "\n");
    }
    void tick(double at) {
        clock.now = at;
        monitor.Timer1_Timer();
    }
    std::string shown() const { return strip.caption + (sleep.held() ? " [held]" : ""); }

    RxBuffer rxbuffer;
    SampleStore samples;
    ChargeTimes times;
    FakeClock clock;
    SampleReception reception{rxbuffer, samples, times, clock};
    std::int32_t fullscale = 1023;
    bool portready = true;
    FakeLabel strip;
    NoticeStrip notices{strip};
    FakeDesktopNotifier notifier;
    FakeSleepInhibitor sleep;
    ChargeMonitor monitor{
        {samples, fullscale, portready}, {notices, clock, &notifier, &sleep}, "Tremolex", ","};
};

TEST_F(ChargeMonitorTest, StallNoticeWhileThePortIsOpenAndSleepHeldWhileReadingsCome) {
    tick(100);  // no reading yet
    EXPECT_EQ(shown(), "");
    read(606, 101);
    read(606, 102);
    EXPECT_EQ(shown(), " [held]");
    tick(232);
    EXPECT_EQ(shown(), "No readings for 2 min, 10 sec");
    read(606, 233);
    EXPECT_EQ(shown(), " [held]");
    portready = false;
    monitor.portLost();
    tick(400);
    EXPECT_EQ(shown(), "");  // the port's own label tells it
    portready = true;
    read(606, 401);
    EXPECT_EQ(shown(), " [held]");
    monitor.Form_Unload();
    EXPECT_EQ(shown(), "");
}

// The inhibitor is told to hold once per run of readings, not on every reading.
TEST_F(ChargeMonitorTest, HoldsSleepOncePerRunOfReadings) {
    for (int s = 0; s < 5; ++s) {
        read(606, 100 + s);
    }
    EXPECT_EQ(sleep.holds, 1);
    monitor.portLost();
    read(606, 200);
    read(606, 201);
    EXPECT_EQ(sleep.holds, 2);
    EXPECT_TRUE(sleep.held());
}

// Without an inhibitor (or a notifier) readings, an end, a stall and closing all work.
TEST_F(ChargeMonitorTest, RunsWithoutInhibitorOrNotifier) {
    ChargeMonitor bare{{samples, fullscale, portready}, {notices, clock}, "Tremolex", ","};
    reception.setObservers({&bare, nullptr});
    for (int s = 0; s <= 90 * 60; s += 2) {
        read(s <= 3600 ? 530 + 76 * s / 3600 : 606 - (s - 3600) / 60, 50000 + s);
    }
    EXPECT_TRUE(bare.peak());
    clock.now = 55500;
    bare.Timer1_Timer();
    bare.portLost();
    bare.Form_Unload();
    EXPECT_EQ(sleep.holds, 0);
}

// The charge time comes from the steady clock alone: the wall clock set back or forward
// shortly before the peak neither hides the end nor moves it (a 1C curve read every 2 s,
// peak at 3000 s).
TEST_F(ChargeMonitorTest, WallClockStepsBeforeThePeakChangeNothing) {
    const auto run = [this](double wallStep) {
        samples.clear();
        monitor.storeReplaced();
        const std::int64_t wall = clock.wallAhead;
        for (int s = 0; s <= 3600 && !monitor.peak(); s += 2) {
            if (s == 2900) {
                clock.wallAhead += std::llround(wallStep * 1000);
            }
            read(s <= 3000 ? 530 + 76 * s / 3000 : 606 - (s - 3000) / 20, 7000 + s);
        }
        clock.wallAhead = wall;
        return std::pair(samples.samplecount(), std::string(chargeTimeCaption(times).view()));
    };
    const auto unstepped = run(0);
    EXPECT_GT(unstepped.first, 1500);
    for (const double step : {-2.5, -5.0, -60.0, -3600.0, 3600.0}) {
        EXPECT_EQ(run(step), unstepped) << step;
    }
}

TEST_F(ChargeMonitorTest, EndOfChargeToldOnceBesideTheOtherNoticesAndGoneAfterALoad) {
    for (int s = 0; s <= 90 * 60; s += 2) {  // up to 606 at 60 min, then down 1 a minute
        read(s <= 3600 ? 530 + 76 * s / 3600 : 606 - (s - 3600) / 60, 50000 + s);
    }
    const std::string end = strip.caption;
    int millivolts = 0, minutes = 0, seconds = 0, length = 0;
    std::sscanf(end.c_str(), "End of charge: peak 1,%3dV at %d min, %d sec%n", &millivolts,
                &minutes, &seconds, &length);
    EXPECT_EQ(length, static_cast<int>(end.size())) << end;
    EXPECT_NEAR(millivolts, 481, 5);
    EXPECT_NEAR(minutes * 60 + seconds, 3600, 300);
    EXPECT_NEAR(samples.sample(monitor.peak().value().index), 606, 1);
    EXPECT_EQ(notifier.shown, std::vector<std::string>{"Tremolex: " + end});  // once

    tick(55500);
    EXPECT_EQ(strip.caption, end + "   No readings for 1 min, 40 sec");
    while (samples.append(600)) {  // readings turned away still come: no stall notice
    }
    notices.show(NoticeStrip::Notice::StoreFull, storeFullCaption(7).view());  // as the chart
    tick(55501);
    EXPECT_EQ(strip.caption, "Store full: 7 new readings not stored   " + end);

    samples.clear();  // Load Graph
    monitor.storeReplaced();
    notices.show(NoticeStrip::Notice::StoreFull, "");
    EXPECT_EQ(shown(), "");
    EXPECT_FALSE(monitor.peak());
}

}  // namespace
}  // namespace tremolex
