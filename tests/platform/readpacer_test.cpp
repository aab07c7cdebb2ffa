#include "platform/readpacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

namespace tremolex {
namespace {

using Ms = std::chrono::duration<double, std::milli>;
using Time = ReadPacer::Clock::time_point;

// Stretches of a line {seconds, lines a second, ms between a line's two pieces or 0, jitter
// in ms} through the pacer as a port drives it, in simulated time: the wakeups a second and
// the longest wait of any text in the last 10 s, the longest wait of any text, the wakeups
// after the last text.
std::tuple<double, double, double, double> drive(std::vector<std::array<double, 4>> stretches) {
    std::vector<double> arrivals;  // ms
    std::minstd_rand random(7);
    double end = 0;
    for (const auto& [seconds, perSecond, gap, jitter] : stretches) {
        for (double t = end + 10; t < end + seconds * 1000; t += 1000 / perSecond) {
            arrivals.push_back(t + std::uniform_real_distribution(-jitter, jitter)(random));
            gap > 0 ? arrivals.push_back(arrivals.back() + gap) : void();
        }
        end += seconds * 1000;
    }
    std::sort(arrivals.begin(), arrivals.end());
    const auto at = [](double ms) { return Time(std::chrono::round<Time::duration>(Ms(ms))); };
    ReadPacer pacer;
    double perSecond = 0, lateLongest = 0, longest = 0, after = 0;
    std::size_t next = 0;
    std::optional<double> beatAt;
    while (beatAt || next < arrivals.size()) {
        const double now = beatAt.value_or(arrivals[next]);
        perSecond += now >= end - 10000 && now < end ? 0.1 : 0;
        after += now > arrivals.back() ? 1 : 0;
        if (beatAt) {
            pacer.beat(at(now));
        } else if (const auto wait = pacer.readable(at(now)); wait > wait.zero()) {
            beatAt = now + Ms(wait).count();
            continue;
        }
        std::size_t bytes = 0;
        for (; next < arrivals.size() && arrivals[next] <= now; ++next, bytes += 5) {
            longest = std::max(longest, now - arrivals[next]);
            lateLongest = arrivals[next] >= end - 10000
                              ? std::max(lateLongest, now - arrivals[next])
                              : lateLongest;
        }
        const bool beat =
            pacer.afterRead(at(now), bytes, beatAt.has_value()) == ReadPacer::Next::Beat;
        beatAt = beat ? std::optional(now + 50) : std::nullopt;
    }
    return {perSecond, lateLongest, longest, after};
}

// No text waits longer than a pause; a slow line is read as each line comes, also after a
// fast one; one near a line a pause or in pieces stays near 20 wakeups a second.
TEST(ReadPacer, WakesAbout20TimesASecondAtAnyRate) {
    struct Case {
        std::vector<std::array<double, 4>> stretches;
        double mostPerSecond;
        double lateLongestMs;  // at the end
    };
    const Case cases[] = {
        {{{30, 400, 0, 0}}, 20.5, 50.1},
        {{{30, 10, 0, 0}}, 10.5, 0.01},  // read at once
        {{{30, 19.6, 0, 3}}, 22, 50.1},
        {{{10, 400, 0, 0}, {30, 10, 0, 0}}, 10.5, 0.01},
        {{{30, 10, 15, 2}}, 22, 50.1},
        {{{30, 3.3, 45, 2}}, 22, 50.1},
        // Patience grown on a split line (9 a second) shrinks on a calm one, and grows after calm.
        {{{30, 9, 15, 0}, {40, 1, 15, 0}}, 4.5, 50.1},
        {{{20, 10, 0, 0}, {30, 9, 15, 0}}, 22, 50.1}};
    for (const auto& [stretches, most, lateMost] : cases) {
        const auto [perSecond, lateLongest, longest, after] = drive(stretches);
        EXPECT_TRUE(perSecond <= most && lateLongest < lateMost && longest < 50.1 && after <= 16)
            << stretches[0][1] << ": " << perSecond << "/s, " << lateLongest << " ms late, "
            << longest << " ms, " << after;
    }
}

// A second of more than 22 wakeups makes the beat go on through two empty reads, not one;
// a watched line that shows input starts the count of empty reads again.
TEST(ReadPacer, PatienceGrowsAfterASecondOfTooManyWakeups) {
    const std::pair<int, ReadPacer::Next> cases[] = {{22, ReadPacer::Next::Watch},
                                                     {23, ReadPacer::Next::Beat}};
    for (const auto& [wakeups, afterOneEmptyRead] : cases) {
        ReadPacer pacer;
        pacer.start();
        const Time second = Time() + std::chrono::seconds(1);
        for (int k = 0; k < wakeups; ++k) {
            pacer.beat(second + std::chrono::milliseconds(40 * k));
        }
        const Time next = second + std::chrono::seconds(1);
        pacer.beat(next);
        EXPECT_EQ(pacer.afterRead(next, 0, true), afterOneEmptyRead) << wakeups;
        EXPECT_EQ(pacer.readable(next + std::chrono::milliseconds(200)), Time::duration::zero());
        EXPECT_EQ(pacer.afterRead(next + std::chrono::milliseconds(200), 0, false),
                  afterOneEmptyRead)
            << wakeups;
    }
}

// Each second of more than 22 wakeups doubles the beat's patience, up to 16 empty reads;
// each ten calm seconds halve it, down to one.
TEST(ReadPacer, PatienceDoublesUpTo16AndHalvesAfterTenCalmSeconds) {
    using std::chrono::seconds;
    ReadPacer pacer;
    Time t = Time() + seconds(1);
    const auto emptyReadsToWatch = [&] {
        int reads = 1;
        while (pacer.afterRead(t, 0, true) == ReadPacer::Next::Beat) {
            ++reads;
        }
        return reads;
    };
    for (int busy = 0; busy < 6; ++busy, t += seconds(1)) {
        for (int k = 0; k < 23; ++k) {
            pacer.beat(t + std::chrono::milliseconds(40 * k));
        }
    }
    pacer.beat(t);  // the sixth busy second is counted
    EXPECT_EQ(emptyReadsToWatch(), 16);
    const std::pair<int, int> calm[] = {{10, 8}, {10, 4}, {30, 1}};
    for (const auto& [calmSeconds, patience] : calm) {
        for (int k = 0; k < calmSeconds; ++k) {
            t += seconds(1);
            pacer.beat(t);
        }
        EXPECT_EQ(emptyReadsToWatch(), patience) << calmSeconds;
    }
}

// Input within a pause of the last read waits out the rest of it, later input is read at
// once; a read of a backlog ends the pause at once.
TEST(ReadPacer, WaitsOutThePauseOfTheLastReadUnlessItBroughtABacklog) {
    using std::chrono::milliseconds;
    const Time t = Time() + std::chrono::seconds(1);
    const std::tuple<std::size_t, milliseconds, ReadPacer::Clock::duration> cases[] = {
        {10, milliseconds(20), milliseconds(30)},
        {10, milliseconds(200), milliseconds(0)},
        {ReadPacer::kBacklog, milliseconds(20), milliseconds(0)}};
    for (const auto& [bytes, after, wait] : cases) {
        ReadPacer pacer;
        pacer.start();
        EXPECT_EQ(pacer.readable(t), Time::duration::zero());
        pacer.afterRead(t, bytes, false);
        EXPECT_EQ(pacer.readable(t + after), wait) << bytes << " bytes, " << after.count() << " ms";
    }
}

}  // namespace
}  // namespace tremolex
