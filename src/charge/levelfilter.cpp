#include "charge/levelfilter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tremolex {

namespace {

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
// Bounce that also caught a spike, or a spike beside bounce, can pass both tests a few counts
// off; with one reading a bin, two such bins lift a level by a count, and its fall when they
// leave looks like -dV. A bin this far off the line through the window's kept bins is
// dropped: an honest reading is off the curve by 1.5 counts at most.
constexpr double kStragglerCounts = 2.5;

// A level moves at most this fast (the steepest final climb is some 10 mV a minute); one
// that jumps is bounce or spikes crowding the window, and is passed over. A jump that stays
// for 3 minutes is real (another cell).
constexpr double kJumpCounts = 3;
constexpr double kJumpCountsPerSecond = 10.0 / 60;
constexpr double kJumpStaysSeconds = 180;
// After a pause the first readings can all be bounce, and its bins then fill the window on
// their own: a level is measured against the last one with at most a minute's climb, and
// one farther off that a cell could have climbed to in the pause is taken once it stays two
// minutes (by then the window holds more readings than any bounce has).
constexpr double kCreditedGapSeconds = 60;
constexpr double kClimbStaysSeconds = 120;

// The recent level: the last 45 s of the window's kept bins.
constexpr std::int64_t kRecentBins = 9;
constexpr std::int64_t kFewestRecentBins = 4;
// The noise of a bin's mean is measured from the steps between neighbouring bins over the
// last 10 minutes (their spread, so the curve's own climb counts for nothing): a clean curve
// steps evenly at any reading rate; noisy readings few to a bin step much. Until 10 steps are
// known a bin's mean is taken as off by half a count.
constexpr std::int64_t kStepReach = 6;  // bins back to a neighbour: 30 s
// Two honest readings step 3 counts at most (each is 1.5 off the curve at most); a larger
// step is a fault's.
constexpr double kStepCounts = 3;
constexpr std::int64_t kStepMinutes = 10;
constexpr int kFewestSteps = 10;
constexpr double kUnknownBinVariance = 0.25;

// The ring of bins reaches back past the window; the flat end's peak is found from the
// readings' own ring (ReadingTimes).
constexpr std::size_t kBinRing = 160;
constexpr std::size_t kStepRing = kStepMinutes;

std::size_t slot(std::int64_t number, std::size_t ring) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(ring));
}

// The median of the first `n` of `values` (reordered).
double medianOf(double* values, std::size_t n) {
    std::nth_element(values, values + n / 2, values + n);
    return values[n / 2];
}

// Clears keep[i] of the points (times[i], counts[i]) more than kStragglerCounts off the line
// through the kept ones with the median slope of their pairs and the median offset (the
// least-squares line leans on the stragglers it is to find); returns how many are kept.
std::size_t dropStragglers(const double* times, const double* counts, bool* keep, std::size_t n,
                           std::size_t kept) {
    if (kept < 3) {
        return kept;
    }
    std::array<double, kWindowBins*(kWindowBins - 1) / 2> values{};
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n && keep[i]; ++j) {
            if (keep[j] && times[j] > times[i]) {
                values[pairs++] = (counts[j] - counts[i]) / (times[j] - times[i]);
            }
        }
    }
    const double slope = pairs > 0 ? medianOf(values.data(), pairs) : 0;
    std::size_t offsets = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i]) {
            values[offsets++] = counts[i] - slope * times[i];
        }
    }
    const double offset = medianOf(values.data(), offsets);
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i] && std::abs(counts[i] - offset - slope * times[i]) > kStragglerCounts) {
            keep[i] = false;
            --kept;
        }
    }
    return kept;
}

}  // namespace

LevelFilter::LevelFilter() : m_bins(kBinRing), m_window(kWindowBins), m_steps(kStepRing) {}

void LevelFilter::restart(double startSeconds) {
    m_start = startSeconds;
    m_current = nullptr;
    m_currentEnd = 0;
    m_finishing = 0;
    m_anyReadings = false;
    m_reference.reset();
    m_referenceSeconds = 0;
    m_allowed = std::numeric_limits<double>::infinity();
    std::fill(m_bins.begin(), m_bins.end(), Bin{});
    std::fill(m_steps.begin(), m_steps.end(), Steps{});
    m_lastLevel.reset();
    m_jumpSince.reset();
}

// Bins count from the start, so their numbers are never negative.
std::int64_t LevelFilter::numberAt(double seconds) const {
    auto number = static_cast<std::int64_t>(std::floor((seconds - m_start) / kBinSeconds));
    if (m_current) {
        number = std::max(number, m_current->number + 1);  // past its end, whatever rounding says
    }
    return std::max<std::int64_t>(number, 0);
}

// The last bin a reading at `seconds` finishes: the bins of a pause have no readings, and
// past a window's worth none has a level.
std::int64_t LevelFilter::lastDue(double seconds) const {
    return std::min(numberAt(seconds) - 1, m_current->number + kWindowBins);
}

void LevelFilter::add(std::int16_t count, double seconds) {
    if (!m_current || seconds >= m_currentEnd) {
        const std::int64_t number = numberAt(seconds);
        m_current = &m_bins[slot(number, kBinRing)];
        *m_current = Bin{};
        m_current->number = number;
        m_currentEnd = binEnd(number);
        m_finishing = number;
        m_allowed = kReadingOffCounts + kJumpCountsPerSecond * (seconds - m_referenceSeconds);
    }
    Bin& bin = *m_current;
    if (!m_reference || std::abs(count - *m_reference) <= m_allowed) {
        bin.sum += count;
        bin.timeSum += seconds;
        ++bin.readings;
    } else {
        bin.offSum += count;
        bin.offTimeSum += seconds;
        ++bin.offReadings;
    }
}

LevelFilter::Look LevelFilter::finish() {
    const std::int64_t number = m_finishing++;
    Bin& bin = m_bins[slot(number, kBinRing)];
    if (bin.number == number && bin.readings + bin.offReadings > 0) {
        classify(bin);
        m_anyReadings = true;
    }
    // The window is looked at every other bin, when the last two had readings: one reading
    // in 10 s fills every other bin, and a window changes little in 5 s.
    Look look{number, std::nullopt, false};
    if (number % kBinsPerLook == kBinsPerLook - 1 && m_anyReadings) {
        m_anyReadings = false;
        look.window = windowAt(number);
    }
    if (look.window && !steady(look.window->level, look.jumped)) {
        look.window.reset();
    }
    return look;
}

// The level over the window that ends with bin `number`, and the recent level.
std::optional<LevelFilter::Window> LevelFilter::windowAt(std::int64_t number) {
    // The window's bins with readings, oldest first. Raw arrays: this runs every 10 s of a
    // whole charge, and the tests run thousands of charges in debug builds.
    const Bin* const ring = m_bins.data();
    const Bin** const window = m_window.data();
    std::size_t bins = 0;
    const std::int64_t from = std::max<std::int64_t>(0, number - kWindowBins + 1);
    std::size_t at = slot(from, kBinRing);
    for (std::int64_t n = from; n <= number; ++n, at = at + 1 == kBinRing ? 0 : at + 1) {
        const Bin* const bin = ring + at;
        if (bin->number == n && bin->readings > 0) {
            window[bins++] = bin;
        }
    }
    if (bins < kFewestWindowBins) {
        return std::nullopt;
    }
    // Bins far from the median are bounce.
    std::array<bool, kWindowBins> keep{};
    std::array<double, kWindowBins> times{}, means{};
    for (std::size_t i = 0; i < bins; ++i) {
        times[i] = window[i]->timeSum / window[i]->readings - m_start;
        means[i] = window[i]->mean;
    }
    std::array<double, kWindowBins> sorted = means;
    const double median = medianOf(sorted.data(), bins);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bins; ++i) {
        keep[i] = !window[i]->spike && std::abs(means[i] - median) <= kOutlierCounts;
        kept += keep[i] ? 1 : 0;
    }
    // Fewer than 6 left take no level: one that leans on stragglers is worse than none.
    kept = dropStragglers(times.data(), means.data(), keep.data(), bins, kept);
    // The readings of the next bin are measured against this one, if it is kept.
    const Bin* const last = window[bins - 1];
    if (last->number == number && keep[bins - 1]) {
        m_reference = last->mean;
        m_referenceSeconds = last->timeSum / last->readings;
    }

    double sum = 0, seconds = 0, recentSum = 0;
    int all = 0, recent = 0;
    for (std::size_t i = 0; i < bins; ++i) {
        const Bin* const bin = window[i];
        if (keep[i]) {
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
LevelFilter::Bin* LevelFilter::before(std::int64_t number) {
    for (std::int64_t n = number - 1; n >= 0 && n >= number - kStepReach; --n) {
        Bin& bin = m_bins[slot(n, kBinRing)];
        if (bin.number == n && bin.readings > 0) {
            return &bin;
        }
    }
    return nullptr;
}

// Half the variance of the steps between neighbouring bins over the last 10 minutes: the
// variance of one bin's mean.
double LevelFilter::binVariance(std::int64_t number) const {
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

// A finished bin: its mean, and whether it or the bin before is a spike, standing out the
// same way from both neighbours (the new one, with no bin after it yet, from the one before);
// then the step of the bin before (for the noise).
void LevelFilter::classify(Bin& bin) {
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
    // The left bin is weighed against the nearest bin before it that is no spike: bounce
    // over several readings fills neighbouring bins, and a bin beside a bounced one would
    // otherwise seem to climb back (or fall) with the level.
    const Bin* farther = before(left->number);
    while (farther && farther->spike) {
        farther = before(farther->number);
    }
    const double rise = farther ? left->mean - farther->mean : 0;
    if (farther) {
        left->spike = std::abs(rise) > kSpikeCounts && std::abs(step) > kSpikeCounts &&
                      (rise > 0) != (step > 0);
    } else {
        left->spike = std::abs(step) > kSpikeCounts;  // the first after a pause: one side
    }
    const Bin* const reference = left->spike ? farther : left;
    bin.spike = reference && std::abs(bin.mean - reference->mean) > kSpikeCounts;
    // The left bin's step, now that it is known to be no spike: steps to spikes and bounce
    // would take the faults for noise, and the fall for one less clear than it is.
    if (farther && !left->spike && std::abs(rise) <= kStepCounts) {
        const std::int64_t minute = left->number / kBinsPerMinute;
        Steps& steps = m_steps[slot(minute, kStepRing)];
        if (steps.minute != minute) {
            steps = Steps{minute};
        }
        steps.sum += rise;
        steps.squares += rise * rise;
        ++steps.count;
    }
}

// Whether `level` follows on from the last one taken, as a cell's voltage can; a jump that
// stays is taken, and `jumped` says so.
bool LevelFilter::steady(const Level& level, bool& jumped) {
    const double now = level.seconds;
    if (!m_lastLevel) {
        m_lastLevel = level;
        return true;
    }
    const double gap = std::max(0.0, now - m_lastLevel->seconds);
    const double off = std::abs(level.counts - m_lastLevel->counts);
    if (off <= kJumpCounts + kJumpCountsPerSecond * std::min(gap, kCreditedGapSeconds)) {
        take(level);
        return true;
    }
    if (!m_jumpSince) {
        m_jumpSince = now;
        return false;
    }
    const double stayed = now - *m_jumpSince;
    const bool climbed = off <= kJumpCounts + kJumpCountsPerSecond * gap;
    if ((climbed && stayed >= kClimbStaysSeconds) || stayed >= kJumpStaysSeconds) {
        take(level);
        jumped = !climbed;
        return true;
    }
    return false;
}

// A level taken.
void LevelFilter::take(const Level& level) {
    m_lastLevel = level;
    m_jumpSince.reset();
}

}  // namespace tremolex
