#include "charge/flatendrule.h"

#include <algorithm>

namespace tremolex {

namespace {

using Level = LevelFilter::Level;

constexpr std::int64_t kBinsPerMinute = LevelFilter::kBinsPerMinute;
constexpr std::int64_t kSlowBins = 120;
constexpr std::int64_t kFewestSlowBins = 40;  // at one reading in 10 s, half the bins have one
constexpr std::int64_t kClimbMinutes = 60;
constexpr double kFinalClimbCounts = 6;  // 15 mV within the hour: more than a drift
constexpr double kFlatCounts = 0.5;      // a rise smaller than this is no new high
constexpr double kFlatSeconds = 45 * 60;
constexpr int kFewestFlatMinutes = 40;  // minutes with readings among those 45
constexpr std::size_t kMinuteRing = kClimbMinutes + 1;

std::size_t slot(std::int64_t number, std::size_t ring) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(ring));
}

}  // namespace

FlatEndRule::FlatEndRule() : m_levels(kSlowBins), m_minutes(kMinuteRing) {}

void FlatEndRule::restart() {
    std::fill(m_levels.begin(), m_levels.end(), Level{});
    std::fill(m_minutes.begin(), m_minutes.end(), Level{});
    m_climbed = false;
    m_flatMinutes = 0;
}

std::optional<FlatEndRule::Peak> FlatEndRule::add(std::int64_t bin,
                                                  const std::optional<Level>& level, double now,
                                                  const ReadingTimes& readings) {
    m_levels[slot(bin, kSlowBins)] = level.value_or(Level{});
    if ((bin + 1) % kBinsPerMinute != 0) {
        return std::nullopt;
    }
    return check(bin, now, readings);
}

std::optional<FlatEndRule::Peak> FlatEndRule::check(std::int64_t bin, double now,
                                                    const ReadingTimes& readings) {
    double sum = 0, seconds = 0;
    std::int64_t levels = 0;
    for (const Level& level : m_levels) {
        if (level.number >= 0 && level.number > bin - kSlowBins && level.number <= bin) {
            sum += level.counts;
            seconds += level.seconds;
            ++levels;
        }
    }
    const std::int64_t minute = bin / kBinsPerMinute;
    if (levels < kFewestSlowBins) {
        m_minutes[slot(minute, kMinuteRing)] = Level{};
        return std::nullopt;
    }
    const Level slow{minute, sum / static_cast<double>(levels),
                     seconds / static_cast<double>(levels)};
    m_minutes[slot(minute, kMinuteRing)] = slow;

    if (!m_climbed) {
        double lowest = slow.counts;
        for (const Level& earlier : m_minutes) {
            if (earlier.number >= minute - kClimbMinutes && earlier.number >= 0) {
                lowest = std::min(lowest, earlier.counts);
            }
        }
        if (slow.counts - lowest < kFinalClimbCounts) {
            return std::nullopt;
        }
        m_climbed = true;
        m_flatReference = slow.counts;
        m_highest = Peak{slow.counts, slow.seconds, readings.indexNear(slow.seconds)};
        m_flatSince = now;
        m_flatMinutes = 0;
        return std::nullopt;
    }
    if (slow.counts > m_highest.counts) {
        m_highest = Peak{slow.counts, slow.seconds, readings.indexNear(slow.seconds)};
    }
    if (slow.counts > m_flatReference + kFlatCounts) {
        m_flatReference = slow.counts;
        m_flatSince = now;
        m_flatMinutes = 0;
        return std::nullopt;
    }
    ++m_flatMinutes;
    if (m_flatMinutes >= kFewestFlatMinutes && now - m_flatSince >= kFlatSeconds) {
        return m_highest;
    }
    return std::nullopt;
}

}  // namespace tremolex
