#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace tremolex {

// Tells when readings have stopped coming: no reading for longer than both 30 s and ten
// times the usual interval between them (the median of the latest few intervals, so one
// long gap does not stretch it). Times are the steady clock's seconds, which never step.
// Constant time, no allocation.
class StallWatch {
public:
    static constexpr double kShortestStall = 30;   // seconds
    static constexpr double kUsualIntervals = 10;  // a stall lasts this many usual intervals

    // A reading stored at `seconds`.
    void reading(double seconds);
    // With the clock at `seconds` now: for how long readings have stalled, or nullopt while
    // they come or before the first one.
    std::optional<double> stalledFor(double seconds) const;
    // A new capture: no reading yet.
    void restart() { *this = StallWatch(); }

private:
    static constexpr std::size_t kIntervals = 9;

    double usualInterval() const;

    bool m_started = false;
    double m_lastReading = 0;
    std::array<double, kIntervals> m_intervals{};  // a ring of the latest intervals
    std::size_t m_intervalCount = 0;               // how many it holds, up to kIntervals
    std::size_t m_nextInterval = 0;
};

}  // namespace tremolex
