#include "charge/stallwatch.h"

#include <algorithm>

#include "state/midnight.h"

namespace tremolex {

double StallWatch::timeOf(float clock) {
    double step = static_cast<double>(clock) - static_cast<double>(m_clock);
    if (midnightPassed(m_clock, clock)) {
        step += kSecondsPerDay;
    }
    m_clock = clock;
    m_time += step;
    return m_time;
}

void StallWatch::reading(float clock) {
    if (!m_started) {
        m_started = true;
        m_clock = clock;
        return;
    }
    const double time = timeOf(clock);
    m_intervals[m_nextInterval] = std::max(time - m_lastReading, 0.0);  // the clock set back
    m_nextInterval = (m_nextInterval + 1) % kIntervals;
    m_intervalCount = std::min(m_intervalCount + 1, kIntervals);
    m_lastReading = time;
}

std::optional<double> StallWatch::stalledFor(float clock) {
    if (!m_started) {
        return std::nullopt;
    }
    const double silence = timeOf(clock) - m_lastReading;
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
