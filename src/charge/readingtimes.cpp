#include "charge/readingtimes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tremolex {

namespace {

constexpr double kBinSeconds = 5;
// Past the middle of the flat end's slow level (10 minutes of levels), where its peak lies.
constexpr std::size_t kBinRing = 160;

std::size_t slot(std::int64_t number) {
    return static_cast<std::size_t>(number % static_cast<std::int64_t>(kBinRing));
}

}  // namespace

ReadingTimes::ReadingTimes() : m_bins(kBinRing) {}

void ReadingTimes::restart(double startSeconds) {
    m_start = startSeconds;
    m_current = nullptr;
    std::fill(m_bins.begin(), m_bins.end(), Bin{});
}

void ReadingTimes::add(std::int32_t index, double seconds) {
    if (m_current && seconds < m_currentEnd) {
        m_current->lastIndex = index;
        m_current->lastSeconds = seconds;
        return;
    }
    const auto number = std::max<std::int64_t>(
        0, static_cast<std::int64_t>(std::floor((seconds - m_start) / kBinSeconds)));
    if (!m_current || number > m_current->number) {
        m_current = &m_bins[slot(number)];
        *m_current = Bin{number, index, index, seconds, seconds};
        m_currentEnd = m_start + static_cast<double>(number + 1) * kBinSeconds;
        return;
    }
    m_current->lastIndex = index;
    m_current->lastSeconds = seconds;
}

// A bin's first or last reading, or, inside a bin, the index its readings' times put there.
std::int32_t ReadingTimes::indexNear(double seconds) const {
    double best = std::numeric_limits<double>::infinity();
    std::int32_t index = 0;
    const auto centre = static_cast<std::int64_t>(std::floor((seconds - m_start) / kBinSeconds));
    // Outwards from the bin of `seconds`, until the bins are farther than the best so far.
    for (std::int64_t away = 0; away < static_cast<std::int64_t>(kBinRing); ++away) {
        if (static_cast<double>(away - 1) * kBinSeconds > best) {
            break;
        }
        for (const std::int64_t n : {centre - away, centre + away}) {
            const Bin& bin = m_bins[slot(std::max<std::int64_t>(n, 0))];
            if (n < 0 || bin.number != n) {
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
