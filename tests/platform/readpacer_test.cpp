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
// in ms} through the pacer as a port drives it, in simulated time: the wakeups a second in
// the last 10 s, the longest wait of any text, the wakeups after the last text.
std::tuple<double, double, double> drive(std::vector<std::array<double, 4>> stretches) {
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
    double perSecond = 0, longest = 0, after = 0;
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
        }
        const bool beat =
            pacer.afterRead(at(now), bytes, beatAt.has_value()) == ReadPacer::Next::Beat;
        beatAt = beat ? std::optional(now + 50) : std::nullopt;
    }
    return {perSecond, longest, after};
}

// No text waits longer than a pause; a slow line is read as each line comes, also after a
// fast one; one near a line a pause or in pieces stays near 20 wakeups a second.
TEST(ReadPacer, WakesAbout20TimesASecondAtAnyRate) {
    const std::pair<std::vector<std::array<double, 4>>, double> cases[] = {
        {{{30, 400, 0, 0}}, 20.5},
        {{{30, 10, 0, 0}}, 10.5},
        {{{30, 19.6, 0, 3}}, 22},
        {{{10, 400, 0, 0}, {30, 10, 0, 0}}, 10.5},
        {{{30, 10, 15, 2}}, 22},
        {{{30, 3.3, 45, 2}}, 22},
        // Patience grown on a split line (9 a second) shrinks on a calm one, and grows after calm.
        {{{30, 9, 15, 0}, {40, 1, 15, 0}}, 4.5},
        {{{20, 10, 0, 0}, {30, 9, 15, 0}}, 22}};
    for (const auto& [stretches, most] : cases) {
        const auto [perSecond, longest, after] = drive(stretches);
        EXPECT_TRUE(perSecond <= most && longest < 50.1 && after <= 16)
            << stretches[0][1] << ": " << perSecond << "/s, " << longest << " ms, " << after;
    }
}

}  // namespace
}  // namespace tremolex
