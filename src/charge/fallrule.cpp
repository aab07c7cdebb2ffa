#include "charge/fallrule.h"

#include <algorithm>
#include <cmath>

namespace tremolex {

namespace {

// The fall must exceed 1 count (2.44 mV) and 4.5 times the noise of the two levels: a clean
// curve gets the same answer at any reading rate, noisy readings few to a bin a larger margin.
constexpr double kFallCounts = 1;
constexpr double kFallSpreads = 4.5;
// The peak must have been climbed to: 24 mV within half an hour. Less is noise on a steady
// voltage or a drift, and a fall from the first level on (after the early bump) is no peak.
// The plateau of a charge (at 0.5C it still climbs some 10 mV in its first half hours) and
// the slow final rise of a C/10 charge climb less, so their noise is never taken for a peak
// either, nor does the steepest C/10 final rise climb that much in half an hour; every
// final rise that ends with a fall climbs 27 mV or more within it.
constexpr double kClimbCounts = 10;

}  // namespace

std::optional<PeakFinder::Peak> FallRule::look(const LevelFilter::Window& window, std::int64_t bin,
                                               const ReadingTimes& readings) {
    const std::int64_t minute = bin / LevelFilter::kBinsPerMinute;
    m_peaks.add(window.level, window.spread, minute, readings);
    const PeakFinder::Peak& peak = m_peaks.highest(minute);
    if (peak.climb < kClimbCounts) {
        return std::nullopt;
    }
    const auto fell = [&](double counts, double spread) {
        return counts <=
               peak.counts - std::max(kFallCounts, kFallSpreads * std::hypot(spread, peak.spread));
    };
    if (window.recent && fell(*window.recent, window.recentSpread)) {
        return peak;
    }
    return std::nullopt;
}

}  // namespace tremolex
