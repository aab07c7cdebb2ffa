#include "charge/peakfinder.h"

#include <algorithm>

namespace tremolex {

namespace {

// The climb to a peak is measured over half an hour: a final rise that ends with a fall
// climbs 30 mV or more within it.
constexpr std::int64_t kClimbWithinMinutes = 30;
constexpr std::int64_t kHighMinutes = 12;
constexpr std::size_t kLowRing = kClimbWithinMinutes + 1;
constexpr std::size_t kHighRing = kHighMinutes;

std::size_t slot(std::int64_t number, std::size_t ring) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(ring));
}

const PeakFinder::Peak kNoPeak;

}  // namespace

PeakFinder::PeakFinder() : m_highs(kHighRing), m_lows(kLowRing) {}

void PeakFinder::restart() {
    std::fill(m_highs.begin(), m_highs.end(), Peak{});
    std::fill(m_lows.begin(), m_lows.end(), LevelFilter::Level{});
}

void PeakFinder::add(const LevelFilter::Level& level, double spread, std::int64_t minute,
                     const ReadingTimes& readings) {
    LevelFilter::Level& low = m_lows[slot(minute, kLowRing)];
    if (low.number != minute || level.counts < low.counts) {
        low = LevelFilter::Level{minute, level.counts, level.seconds};
    }
    Peak& high = m_highs[slot(minute, kHighRing)];
    if (high.minute == minute && level.counts <= high.counts) {
        return;
    }
    double lowest = level.counts;
    for (const LevelFilter::Level& earlier : m_lows) {
        if (earlier.number >= 0 && earlier.number >= minute - kClimbWithinMinutes &&
            earlier.counts < lowest) {
            lowest = earlier.counts;
        }
    }
    high = Peak{minute, level.counts,          level.seconds,
                spread, level.counts - lowest, readings.indexNear(level.seconds)};
}

const PeakFinder::Peak& PeakFinder::highest(std::int64_t minute) const {
    // The latest minute's high wins a tie: it names the reading nearest the fall.
    const Peak& latest = m_highs[slot(minute, kHighRing)];
    const Peak* best = latest.minute == minute ? &latest : &kNoPeak;
    for (const Peak& high : m_highs) {
        if (high.minute >= 0 && high.minute > minute - kHighMinutes && high.minute <= minute &&
            (best->minute < 0 || high.counts > best->counts)) {
            best = &high;
        }
    }
    return *best;
}

}  // namespace tremolex
