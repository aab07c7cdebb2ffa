#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace tremolex {

// Tells when readings have stopped coming: no reading for longer than both 30 s and ten
// times the usual interval between them (the median of the latest few intervals, so one
// long gap does not stretch it). Times are the clock's seconds since midnight; a clock far
// below the one before (by more than half a day) means a midnight has passed, as for the
// charge time, and smaller backward steps are taken as they are. Constant time, no
// allocation.
class StallWatch {
public:
    static constexpr double kShortestStall = 30;   // seconds
    static constexpr double kUsualIntervals = 10;  // a stall lasts this many usual intervals

    // A reading stored at `clock`.
    void reading(float clock);
    // With the clock now: for how long readings have stalled, in seconds, or nullopt while
    // they come or before the first one.
    std::optional<double> stalledFor(float clock);
    // A new capture: no reading yet.
    void restart() { *this = StallWatch(); }

private:
    static constexpr std::size_t kIntervals = 9;

    // The time of `clock` on a line that runs on through midnights.
    double timeOf(float clock);
    double usualInterval() const;

    bool m_started = false;
    float m_clock = 0;                             // the latest clock given
    double m_time = 0;                             // its time on the running line
    double m_lastReading = 0;                      // on the running line
    std::array<double, kIntervals> m_intervals{};  // a ring of the latest intervals
    std::size_t m_intervalCount = 0;               // how many it holds, up to kIntervals
    std::size_t m_nextInterval = 0;
};

}  // namespace tremolex
