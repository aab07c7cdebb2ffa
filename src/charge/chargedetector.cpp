#include "charge/chargedetector.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tremolex {

namespace {

constexpr double kBinSeconds = 5;
constexpr double kHoldSeconds = 300;        // a deeply discharged cell's early bump lies in here
constexpr std::int16_t kRemovedCount = 81;  // 0.2 V: no cell in the holder

// The level: the last 90 s of bins. At one reading every 10 s that is 9 readings; fewer
// than 6 bins (after a pause) say too little.
constexpr std::int64_t kWindowBins = 18;
constexpr std::int64_t kFewestWindowBins = 6;
// Bins this far from the window's median are a spike or contact bounce (noise and the
// climb of 90 s stay within it).
constexpr double kOutlierCounts = 4;

// A level moves at most this fast (the steepest final climb is some 10 mV a minute); one
// that jumps is bounce or spikes crowding the window, and is passed over. A jump that stays
// for 3 minutes is real (another cell): the peak is looked for afresh from there.
constexpr double kJumpCounts = 3;
constexpr double kJumpCountsPerSecond = 10.0 / 60;
constexpr double kJumpStaysSeconds = 180;

// -dV compares the high with the recent level, the last 45 s of the window's kept bins, so
// that it answers sooner. The fall must exceed 0.75 count (1.8 mV) and be clear of both
// levels' noise: each reading is taken as off by at least half a count (rounding and
// noise), the spread of the bins where that is more.
constexpr std::int64_t kRecentBins = 9;
constexpr std::int64_t kFewestRecentBins = 4;
constexpr double kReadingSpread = 0.5;
constexpr double kFallCounts = 0.75;
constexpr double kFallSpreads = 5;
// The peak must have been climbed to: 10 mV within half an hour. Less is noise on a steady
// voltage or a drift, and a fall from the first level on (after the early bump) is no peak.
// The slow plateau of a C/10 charge climbs less, so its noise over hours is never taken for a
// peak either.
constexpr double kClimbCounts = 4;
constexpr std::int64_t kClimbWithinMinutes = 30;

// Flat end: the slow level averages 10 minutes of levels and is taken once a minute.
constexpr std::int64_t kBinsPerMinute = 12;
constexpr std::int64_t kSlowBins = 120;
constexpr std::int64_t kFewestSlowBins = 60;
constexpr std::int64_t kClimbMinutes = 60;
constexpr double kFinalClimbCounts = 6;  // 15 mV within the hour: more than a drift
constexpr double kFlatCounts = 0.5;      // a rise smaller than this is no new high
constexpr double kFlatSeconds = 45 * 60;
constexpr int kFewestFlatMinutes = 40;  // minutes with readings among those 45

// The ring of bins reaches back past the middle of the slow level's 10 minutes, where the
// peak of a flat end lies, so that its reading can be found.
constexpr std::size_t kBinRing = 160;
constexpr std::size_t kMinuteRing = kClimbMinutes + 1;
constexpr std::size_t kLowRing = kClimbWithinMinutes + 1;

// The mean of some bins' means and its uncertainty: the spread of the means over the root of
// their number, but never less than kReadingSpread over the root of the readings.
struct Spread {
    int bins = 0;
    double readings = 0;
    double sum = 0;
    double squares = 0;

    void add(double mean, std::int32_t count) {
        ++bins;
        readings += count;
        sum += mean;
        squares += mean * mean;
    }
    double mean() const { return sum / bins; }
    double spread() const {
        const double variance =
            bins > 1 ? std::max(0.0, (squares - sum * sum / bins) / (bins - 1)) : 0.0;
        return std::max(std::sqrt(variance / bins), kReadingSpread / std::sqrt(readings));
    }
};

std::size_t slot(std::int64_t number, std::size_t ring) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(ring));
}

}  // namespace

ChargeDetector::ChargeDetector()
    : m_bins(kBinRing),
      m_levels(kSlowBins),
      m_minutes(kMinuteRing),
      m_lows(kLowRing),
      m_window(kWindowBins),
      m_scratch(kWindowBins) {}

void ChargeDetector::restart() {
    m_end.reset();
    startOver();
}

void ChargeDetector::startOver() {
    if (!m_started && m_currentBin < 0) {
        return;  // nothing to forget (the cell stays out)
    }
    m_started = false;
    m_currentBin = -1;
    std::fill(m_bins.begin(), m_bins.end(), Bin{});
    std::fill(m_levels.begin(), m_levels.end(), Level{});
    std::fill(m_minutes.begin(), m_minutes.end(), Level{});
    std::fill(m_lows.begin(), m_lows.end(), Level{});
    m_anyLevel = false;
    m_lastLevel.reset();
    m_jumpSince.reset();
    m_climbed = false;
    m_flatMinutes = 0;
}

void ChargeDetector::add(std::int16_t count, std::int32_t index, double chargeSeconds) {
    if (!std::isfinite(chargeSeconds)) {
        return;
    }
    if (count <= kRemovedCount) {
        m_end.reset();  // the next cell is another charge
        startOver();
        return;
    }
    if (m_end) {
        return;
    }
    if (m_started && chargeSeconds < m_lastSeconds) {
        startOver();  // another capture
    }
    if (!m_started) {
        m_started = true;
        m_holdUntil = chargeSeconds + kHoldSeconds;
    }
    m_lastSeconds = chargeSeconds;
    if (chargeSeconds < m_holdUntil) {
        return;
    }

    // Bins count from the end of the hold, so their numbers are never negative.
    const auto number =
        static_cast<std::int64_t>(std::floor((chargeSeconds - m_holdUntil) / kBinSeconds));
    if (number != m_currentBin) {
        if (m_currentBin >= 0) {
            // The bins of a pause have no readings; past a window's worth none has a level.
            const std::int64_t last = std::min(number - 1, m_currentBin + kWindowBins);
            for (std::int64_t finished = m_currentBin; finished <= last && !m_end; ++finished) {
                finishBin(finished);
            }
            if (m_end) {
                return;
            }
        }
        m_currentBin = number;
        Bin& bin = m_bins[slot(number, kBinRing)];
        bin = Bin{};
        bin.number = number;
        bin.firstIndex = index;
        bin.firstSeconds = chargeSeconds;
    }
    Bin& bin = m_bins[slot(number, kBinRing)];
    bin.sum += count;
    bin.timeSum += chargeSeconds;
    ++bin.readings;
    bin.lastIndex = index;
    bin.lastSeconds = chargeSeconds;
}

// The level over the window that ends with bin `number`, and the recent level.
std::optional<ChargeDetector::Window> ChargeDetector::windowAt(std::int64_t number) {
    std::size_t bins = 0;
    for (std::int64_t n = std::max<std::int64_t>(0, number - kWindowBins + 1); n <= number; ++n) {
        const Bin& bin = m_bins[slot(n, kBinRing)];
        if (bin.number == n && bin.readings > 0) {
            m_window[bins] = {n, bin.sum / bin.readings, bin.timeSum / bin.readings};
            m_scratch[bins] = m_window[bins].counts;
            ++bins;
        }
    }
    if (bins < kFewestWindowBins) {
        return std::nullopt;
    }
    const auto first = m_scratch.begin();
    const auto middle = first + static_cast<std::ptrdiff_t>(bins / 2);
    std::nth_element(first, middle, first + static_cast<std::ptrdiff_t>(bins));
    const double median = *middle;

    // All kept bins, then the recent ones.
    Spread all, recent;
    double seconds = 0;
    for (std::size_t i = 0; i < bins; ++i) {
        if (std::abs(m_window[i].counts - median) <= kOutlierCounts) {
            const std::int32_t readings = m_bins[slot(m_window[i].number, kBinRing)].readings;
            all.add(m_window[i].counts, readings);
            seconds += m_window[i].seconds;
            if (m_window[i].number > number - kRecentBins) {
                recent.add(m_window[i].counts, readings);
            }
        }
    }
    if (all.bins < kFewestWindowBins) {
        return std::nullopt;
    }
    Window window;
    window.level = Level{number, all.mean(), seconds / all.bins};
    window.spread = all.spread();
    if (recent.bins >= kFewestRecentBins) {
        window.recent = recent.mean();
        window.recentSpread = recent.spread();
    }
    return window;
}

double ChargeDetector::binEnd(std::int64_t number) const {
    return m_holdUntil + static_cast<double>(number + 1) * kBinSeconds;
}

void ChargeDetector::finishBin(std::int64_t number) {
    std::optional<Window> window = windowAt(number);
    if (window && !steady(window->level)) {
        window.reset();
    }
    m_levels[slot(number, kSlowBins)] = window ? window->level : Level{};
    if (window) {
        checkFall(*window, number);
    }
    if (!m_end && (number + 1) % kBinsPerMinute == 0) {
        checkFlat(number);
    }
}

// Whether `level` follows on from the last one taken, as a cell's voltage can; a jump that
// stays is taken, with the search for the peak started afresh.
bool ChargeDetector::steady(const Level& level) {
    const double now = level.seconds;
    if (!m_lastLevel) {
        m_lastLevel = level;
        return true;
    }
    const double allowed =
        kJumpCounts + kJumpCountsPerSecond * std::max(0.0, now - m_lastLevel->seconds);
    if (std::abs(level.counts - m_lastLevel->counts) <= allowed) {
        m_lastLevel = level;
        m_jumpSince.reset();
        return true;
    }
    if (!m_jumpSince) {
        m_jumpSince = now;
    } else if (now - *m_jumpSince >= kJumpStaysSeconds) {
        m_lastLevel = level;
        m_jumpSince.reset();
        m_anyLevel = false;
        std::fill(m_lows.begin(), m_lows.end(), Level{});
        return true;
    }
    return false;
}

void ChargeDetector::checkFall(const Window& window, std::int64_t number) {
    const Level& level = window.level;
    const std::int64_t minute = number / kBinsPerMinute;
    Level& low = m_lows[slot(minute, kLowRing)];
    if (low.number != minute || level.counts < low.counts) {
        low = Level{minute, level.counts, level.seconds};
    }
    if (!m_anyLevel || level.counts > m_highest) {
        double lowest = level.counts;
        for (const Level& earlier : m_lows) {
            if (earlier.number >= 0 && earlier.number >= minute - kClimbWithinMinutes) {
                lowest = std::min(lowest, earlier.counts);
            }
        }
        m_anyLevel = true;
        m_highest = level.counts;
        m_climbToHighest = level.counts - lowest;
        m_highestSpread = window.spread;
        m_highestSeconds = level.seconds;
        m_highestIndex = indexNear(level.seconds);
        return;
    }
    if (!window.recent) {
        return;
    }
    const double uncertainty = std::hypot(window.recentSpread, m_highestSpread);
    const double fall = std::max(kFallCounts, kFallSpreads * uncertainty);
    if (m_climbToHighest >= kClimbCounts && *window.recent <= m_highest - fall) {
        m_end = End{m_highest, m_highestSeconds, m_highestIndex, binEnd(number)};
    }
}

void ChargeDetector::checkFlat(std::int64_t number) {
    double sum = 0, seconds = 0;
    std::int64_t levels = 0;
    for (const Level& level : m_levels) {
        if (level.number >= 0 && level.number > number - kSlowBins && level.number <= number) {
            sum += level.counts;
            seconds += level.seconds;
            ++levels;
        }
    }
    const std::int64_t minute = number / kBinsPerMinute;
    if (levels < kFewestSlowBins) {
        m_minutes[slot(minute, kMinuteRing)] = Level{};
        return;
    }
    const Level slow{minute, sum / static_cast<double>(levels),
                     seconds / static_cast<double>(levels)};
    m_minutes[slot(minute, kMinuteRing)] = slow;
    const double now = binEnd(number);

    if (!m_climbed) {
        double lowest = slow.counts;
        for (const Level& earlier : m_minutes) {
            if (earlier.number >= minute - kClimbMinutes && earlier.number >= 0) {
                lowest = std::min(lowest, earlier.counts);
            }
        }
        if (slow.counts - lowest < kFinalClimbCounts) {
            return;
        }
        m_climbed = true;
        m_flatReference = m_slowHighest = slow.counts;
        m_slowHighestSeconds = slow.seconds;
        m_slowHighestIndex = indexNear(slow.seconds);
        m_flatSince = now;
        m_flatMinutes = 0;
        return;
    }
    if (slow.counts > m_slowHighest) {
        m_slowHighest = slow.counts;
        m_slowHighestSeconds = slow.seconds;
        m_slowHighestIndex = indexNear(slow.seconds);
    }
    if (slow.counts > m_flatReference + kFlatCounts) {
        m_flatReference = slow.counts;
        m_flatSince = now;
        m_flatMinutes = 0;
        return;
    }
    ++m_flatMinutes;
    if (m_flatMinutes >= kFewestFlatMinutes && now - m_flatSince >= kFlatSeconds) {
        m_end = End{m_slowHighest, m_slowHighestSeconds, m_slowHighestIndex, now};
    }
}

// The reading nearest `seconds` among the bins still held: a bin's first or last reading,
// or, inside a bin, the index its readings' times put there (they come evenly within 5 s).
std::int32_t ChargeDetector::indexNear(double seconds) const {
    double best = std::numeric_limits<double>::infinity();
    std::int32_t index = 0;
    for (const Bin& bin : m_bins) {
        if (bin.number < 0 || bin.readings == 0) {
            continue;
        }
        if (seconds > bin.firstSeconds && seconds < bin.lastSeconds) {
            const double part = (seconds - bin.firstSeconds) / (bin.lastSeconds - bin.firstSeconds);
            return bin.firstIndex +
                   static_cast<std::int32_t>(std::lround(part * (bin.lastIndex - bin.firstIndex)));
        }
        for (const auto& [at, i] : {std::pair{bin.firstSeconds, bin.firstIndex},
                                    std::pair{bin.lastSeconds, bin.lastIndex}}) {
            if (std::abs(at - seconds) < best) {
                best = std::abs(at - seconds);
                index = i;
            }
        }
    }
    return index;
}

}  // namespace tremolex
