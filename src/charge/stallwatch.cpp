#include "charge/stallwatch.h"

#include <algorithm>

namespace tremolex {

void StallWatch::reading(double seconds) {
    if (m_started) {
        m_intervals[m_nextInterval] = std::max(seconds - m_lastReading, 0.0);
        m_nextInterval = (m_nextInterval + 1) % kIntervals;
        m_intervalCount = std::min(m_intervalCount + 1, kIntervals);
    }
    m_started = true;
    m_lastReading = seconds;
}

std::optional<double> StallWatch::stalledFor(double seconds) const {
    if (!m_started) {
        return std::nullopt;
    }
    const double silence = seconds - m_lastReading;
    if (silence > std::max(kShortestStall, kUsualIntervals * usualInterval())) {
        return silence;
    }
    return std::nullopt;
}

// Worked out only when asked (once a second), never per reading.
double StallWatch::usualInterval() const {
    if (m_intervalCount == 0) {
        return 0;
    }
    std::array<double, kIntervals> sorted = m_intervals;
    const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(m_intervalCount);
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(m_intervalCount / 2);
    std::nth_element(sorted.begin(), middle, end);
    return *middle;
}

}  // namespace tremolex
