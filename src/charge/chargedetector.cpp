#include "charge/chargedetector.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tremolex {

namespace {

constexpr double kBinSeconds = 5;
constexpr double kHoldSeconds = 300;        // a deeply discharged cell's early bump lies in here
constexpr std::int16_t kRemovedCount = 81;  // 0.2 V: no cell in the holder
constexpr double kLongest = 1e9;            // seconds; a capture this long is another one

// The level: the last 90 s of bins, looked at every 10 s. At one reading every 10 s that is
// 9 readings; fewer than 6 bins (after a pause) say too little.
constexpr std::int64_t kWindowBins = 18;
constexpr std::int64_t kBinsPerLook = 2;
constexpr std::int64_t kFewestWindowBins = 6;
// Spikes and contact bounce are dropped three ways. A reading this far from the last kept
// bin's mean (more as time passes, at the steepest climb) stays out of its bin's mean,
// unless all of the bin's readings do: with many readings a bin, that is all it takes.
constexpr double kReadingOffCounts = 4;
// A bin that stands out this far the same way from both neighbours is a spike: with one
// reading a bin, noise (1.5 counts at most) stays within it.
constexpr double kSpikeCounts = 3;
// A bin this far from the window's median is bounce filling several bins.
constexpr double kOutlierCounts = 4;

// A level moves at most this fast (the steepest final climb is some 10 mV a minute); one
// that jumps is bounce or spikes crowding the window, and is passed over. A jump that stays
// for 3 minutes is real (another cell): the peak is looked for afresh from there.
constexpr double kJumpCounts = 3;
constexpr double kJumpCountsPerSecond = 10.0 / 60;
constexpr double kJumpStaysSeconds = 180;

// -dV compares the high with the recent level, the last 45 s of the window's kept bins, so
// that it answers sooner. The fall must exceed 1 count (2.44 mV) and 5 times the noise of
// the two levels. The noise of a bin's mean is measured from the steps between neighbouring
// bins over the last 10 minutes (their spread, so the curve's own climb counts for nothing):
// a clean curve steps evenly at any reading rate and gets the same answer; noisy readings
// few to a bin step much and get a larger margin. Until 10 steps are known a bin's mean is
// taken as off by half a count.
constexpr std::int64_t kRecentBins = 9;
constexpr std::int64_t kFewestRecentBins = 4;
constexpr std::int64_t kStepReach = 6;  // bins back to a neighbour: 30 s
constexpr std::int64_t kStepMinutes = 10;
constexpr int kFewestSteps = 10;
constexpr double kUnknownBinVariance = 0.25;
constexpr double kFallCounts = 1;
constexpr double kFallSpreads = 5;
// The peak must have been climbed to: 20 mV within half an hour. Less is noise on a steady
// voltage or a drift, and a fall from the first level on (after the early bump) is no peak.
// The plateau of a charge (at 0.5C it still climbs some 10 mV in its first half hours) and
// the slow final rise of a C/10 charge climb less, so their noise is never taken for a
// peak either; every final rise that ends with a fall climbs 30 mV or more.
constexpr double kClimbCounts = 8;
constexpr std::int64_t kClimbWithinMinutes = 30;
// The high is the highest level of the last 12 minutes: a fall shows well within them, and
// over a long flat top (C/10) the noise of hours would lift an all-time high.
constexpr std::int64_t kHighMinutes = 12;

// Flat end: the slow level averages 10 minutes of levels and is taken once a minute.
constexpr std::int64_t kBinsPerMinute = 12;
constexpr std::int64_t kSlowBins = 120;
constexpr std::int64_t kFewestSlowBins = 40;  // at one reading in 10 s, half the bins have one
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
constexpr std::size_t kStepRing = kStepMinutes;
constexpr std::size_t kHighRing = kHighMinutes;

std::size_t slot(std::int64_t number, std::size_t ring) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(ring));
}

}  // namespace

ChargeDetector::ChargeDetector()
    : m_bins(kBinRing),
      m_levels(kSlowBins),
      m_minutes(kMinuteRing),
      m_highs(kHighRing),
      m_lows(kLowRing),
      m_window(kWindowBins),
      m_sorted(kWindowBins),
      m_steps(kStepRing) {}

void ChargeDetector::restart() {
    m_end.reset();
    startOver();
}

void ChargeDetector::startOver() {
    if (!m_started) {
        return;  // nothing to forget (the cell stays out)
    }
    m_started = false;
    m_current = nullptr;
    m_reference.reset();
    m_anyReadings = false;
    std::fill(m_bins.begin(), m_bins.end(), Bin{});
    std::fill(m_levels.begin(), m_levels.end(), Level{});
    std::fill(m_minutes.begin(), m_minutes.end(), Level{});
    std::fill(m_lows.begin(), m_lows.end(), Level{});
    std::fill(m_steps.begin(), m_steps.end(), Steps{});
    forgetLevel();
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
    if (m_started && (chargeSeconds < m_lastSeconds || chargeSeconds - m_holdUntil > kLongest)) {
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
    if (!m_current || chargeSeconds >= m_currentEnd) {
        nextBin(index, chargeSeconds);
        if (m_end) {
            return;
        }
    }
    Bin& bin = *m_current;
    if (!m_reference || std::abs(count - *m_reference) <= m_allowed) {
        bin.sum += count;
        bin.timeSum += chargeSeconds;
        ++bin.readings;
    } else {
        bin.offSum += count;
        bin.offTimeSum += chargeSeconds;
        ++bin.offReadings;
    }
    bin.lastIndex = index;
    bin.lastSeconds = chargeSeconds;
}

// Finishes the bins up to the one `chargeSeconds` falls in and starts that one.
void ChargeDetector::nextBin(std::int32_t index, double chargeSeconds) {
    // Bins count from the end of the hold, so their numbers are never negative.
    auto number =
        static_cast<std::int64_t>(std::floor((chargeSeconds - m_holdUntil) / kBinSeconds));
    if (m_current) {
        number = std::max(number, m_current->number + 1);  // past its end, whatever rounding says
        // The bins of a pause have no readings; past a window's worth none has a level.
        const std::int64_t last = std::min(number - 1, m_current->number + kWindowBins);
        for (std::int64_t finished = m_current->number; finished <= last && !m_end; ++finished) {
            finishBin(finished);
        }
        if (m_end) {
            return;
        }
    }
    m_current = &m_bins[slot(number, kBinRing)];
    *m_current = Bin{};
    m_current->number = number;
    m_current->firstIndex = m_current->lastIndex = index;
    m_current->firstSeconds = m_current->lastSeconds = chargeSeconds;
    m_currentEnd = binEnd(number);
    m_allowed = kReadingOffCounts + kJumpCountsPerSecond * (chargeSeconds - m_referenceSeconds);
}

// The level over the window that ends with bin `number`, and the recent level.
std::optional<ChargeDetector::Window> ChargeDetector::windowAt(std::int64_t number) {
    // The window's bins with readings, oldest first, and their means sorted for the median
    // (by insertion: 18 values at most). Raw arrays: this runs every 10 s of a whole charge,
    // and the tests run thousands of charges in debug builds.
    const Bin* const ring = m_bins.data();
    const Bin** const window = m_window.data();
    double* const sorted = m_sorted.data();
    std::size_t bins = 0;
    const std::int64_t from = std::max<std::int64_t>(0, number - kWindowBins + 1);
    std::size_t at = slot(from, kBinRing);
    for (std::int64_t n = from; n <= number; ++n, at = at + 1 == kBinRing ? 0 : at + 1) {
        const Bin* const bin = ring + at;
        if (bin->number == n && bin->readings > 0) {
            window[bins] = bin;
            std::size_t place = bins++;
            for (; place > 0 && sorted[place - 1] > bin->mean; --place) {
                sorted[place] = sorted[place - 1];
            }
            sorted[place] = bin->mean;
        }
    }
    if (bins < kFewestWindowBins) {
        return std::nullopt;
    }
    const double median = sorted[bins / 2];
    const auto kept = [median](const Bin* bin) {
        return !bin->spike && std::abs(bin->mean - median) <= kOutlierCounts;
    };
    // The readings of the next bin are measured against this one, if it is kept.
    const Bin* const last = window[bins - 1];
    if (last->number == number && kept(last)) {
        m_reference = last->mean;
        m_referenceSeconds = last->timeSum / last->readings;
    }

    double sum = 0, seconds = 0, recentSum = 0;
    int all = 0, recent = 0;
    for (std::size_t i = 0; i < bins; ++i) {
        const Bin* const bin = window[i];
        if (kept(bin)) {
            sum += bin->mean;
            seconds += bin->timeSum / bin->readings;
            ++all;
            if (bin->number > number - kRecentBins) {
                recentSum += bin->mean;
                ++recent;
            }
        }
    }
    if (all < kFewestWindowBins) {
        return std::nullopt;
    }
    const double variance = binVariance(number);
    Window result;
    result.level = Level{number, sum / all, seconds / all};
    result.spread = std::sqrt(variance / all);
    if (recent >= kFewestRecentBins) {
        result.recent = recentSum / recent;
        result.recentSpread = std::sqrt(variance / recent);
    }
    return result;
}

// The nearest bin with readings before bin `number`, close enough to be its neighbour.
ChargeDetector::Bin* ChargeDetector::before(std::int64_t number) {
    for (std::int64_t n = number - 1; n >= 0 && n >= number - kStepReach; --n) {
        Bin& bin = m_bins[slot(n, kBinRing)];
        if (bin.number == n && bin.readings > 0) {
            return &bin;
        }
    }
    return nullptr;
}

// Half the variance of the steps between neighbouring bins over the last 10 minutes: the
// variance of one bin's mean. Steps, not the means themselves, so that the curve's climb
// counts for nothing.
double ChargeDetector::binVariance(std::int64_t number) const {
    const std::int64_t minute = number / kBinsPerMinute;
    Steps all;
    const Steps* const ring = m_steps.data();
    for (std::size_t i = 0; i < kStepRing; ++i) {
        if (ring[i].minute > minute - kStepMinutes && ring[i].minute <= minute) {
            all.sum += ring[i].sum;
            all.squares += ring[i].squares;
            all.count += ring[i].count;
        }
    }
    if (all.count < kFewestSteps) {
        return kUnknownBinVariance;
    }
    return std::max(0.0, all.squares - all.sum * all.sum / all.count) / (all.count - 1) / 2;
}

// A finished bin: its mean, the step from the bin before (for the noise), and whether
// either is a spike, standing out the same way from both neighbours (the new one, with no
// bin after it yet, from the one before).
void ChargeDetector::classify(Bin& bin) {
    if (bin.readings == 0) {
        // Every reading off the last bin's mean: a jump (or bounce the window will weigh).
        bin.sum = bin.offSum;
        bin.timeSum = bin.offTimeSum;
        bin.readings = bin.offReadings;
    }
    bin.mean = bin.sum / bin.readings;
    Bin* const left = before(bin.number);
    if (!left) {
        return;
    }
    const double step = bin.mean - left->mean;
    const Bin* const farther = before(left->number);
    if (farther) {
        const double rise = left->mean - farther->mean;
        left->spike = std::abs(rise) > kSpikeCounts && std::abs(step) > kSpikeCounts &&
                      (rise > 0) != (step > 0);
    } else {
        left->spike = std::abs(step) > kSpikeCounts;  // the first after a pause: one side
    }
    const Bin* const reference = left->spike ? farther : left;
    bin.spike = reference && std::abs(bin.mean - reference->mean) > kSpikeCounts;
    if (std::abs(step) <= kOutlierCounts) {
        const std::int64_t minute = bin.number / kBinsPerMinute;
        Steps& steps = m_steps[slot(minute, kStepRing)];
        if (steps.minute != minute) {
            steps = Steps{minute};
        }
        steps.sum += step;
        steps.squares += step * step;
        ++steps.count;
    }
}

double ChargeDetector::binEnd(std::int64_t number) const {
    return m_holdUntil + static_cast<double>(number + 1) * kBinSeconds;
}

void ChargeDetector::finishBin(std::int64_t number) {
    Bin& bin = m_bins[slot(number, kBinRing)];
    if (bin.number == number && bin.readings + bin.offReadings > 0) {
        classify(bin);
        m_anyReadings = true;
    }
    // The window is looked at every other bin, when the last two had readings: one reading
    // in 10 s fills every other bin, and a window changes little in 5 s.
    std::optional<Window> window;
    if (number % kBinsPerLook == kBinsPerLook - 1 && m_anyReadings) {
        m_anyReadings = false;
        window = windowAt(number);
    }
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
        forgetLevel();
        m_lastLevel = level;
        return true;
    }
    return false;
}

// Starts the search for the peak afresh, with no level to measure readings against.
void ChargeDetector::forgetLevel() {
    m_lastLevel.reset();
    m_jumpSince.reset();
    std::fill(m_highs.begin(), m_highs.end(), High{});
    std::fill(m_lows.begin(), m_lows.end(), Level{});
}

void ChargeDetector::checkFall(const Window& window, std::int64_t number) {
    const Level& level = window.level;
    const std::int64_t minute = number / kBinsPerMinute;
    Level& low = m_lows[slot(minute, kLowRing)];
    if (low.number != minute || level.counts < low.counts) {
        low = Level{minute, level.counts, level.seconds};
    }
    High& high = m_highs[slot(minute, kHighRing)];
    if (high.minute != minute || level.counts > high.counts) {
        double lowest = level.counts;
        const Level* const lows = m_lows.data();
        for (std::size_t i = 0; i < kLowRing; ++i) {
            if (lows[i].number >= 0 && lows[i].number >= minute - kClimbWithinMinutes &&
                lows[i].counts < lowest) {
                lowest = lows[i].counts;
            }
        }
        high = High{minute,        level.counts,          level.seconds,
                    window.spread, level.counts - lowest, indexNear(level.seconds)};
    }
    if (!window.recent) {
        return;
    }
    const High* highest = &high;
    const High* const highs = m_highs.data();
    for (std::size_t i = 0; i < kHighRing; ++i) {
        if (highs[i].minute > minute - kHighMinutes && highs[i].counts > highest->counts) {
            highest = highs + i;
        }
    }
    const double uncertainty = std::hypot(window.recentSpread, highest->spread);
    const double fall = std::max(kFallCounts, kFallSpreads * uncertainty);
    if (highest->climb >= kClimbCounts && *window.recent <= highest->counts - fall) {
        m_end = End{highest->counts, highest->seconds, highest->index, binEnd(number)};
    }
}

void ChargeDetector::checkFlat(std::int64_t number) {
    double sum = 0, seconds = 0;
    std::int64_t levels = 0;
    const Level* const ring = m_levels.data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(kSlowBins); ++i) {
        const Level& level = ring[i];
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
    const auto centre =
        static_cast<std::int64_t>(std::floor((seconds - m_holdUntil) / kBinSeconds));
    // Outwards from the bin of `seconds`, until the bins are farther than the best so far.
    for (std::int64_t away = 0; away < static_cast<std::int64_t>(kBinRing); ++away) {
        if (static_cast<double>(away - 1) * kBinSeconds > best) {
            break;
        }
        for (const std::int64_t n : {centre - away, centre + away}) {
            const Bin& bin = m_bins[slot(std::max<std::int64_t>(n, 0), kBinRing)];
            if (n < 0 || bin.number != n || bin.readings == 0) {
                continue;
            }
            if (seconds > bin.firstSeconds && seconds < bin.lastSeconds) {
                const double part =
                    (seconds - bin.firstSeconds) / (bin.lastSeconds - bin.firstSeconds);
                return bin.firstIndex + static_cast<std::int32_t>(
                                            std::lround(part * (bin.lastIndex - bin.firstIndex)));
            }
            for (const auto& [at, i] : {std::pair{bin.firstSeconds, bin.firstIndex},
                                        std::pair{bin.lastSeconds, bin.lastIndex}}) {
                if (std::abs(at - seconds) < best) {
                    best = std::abs(at - seconds);
                    index = i;
                }
            }
        }
    }
    return index;
}

}  // namespace tremolex
