#pragma once

namespace tremolex {

// The wall clock as the charge time needs it.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since local midnight, 0 <= t < 86400 in normal use. Starts again at 0 at
    // midnight; the caller copes with that.
    virtual float secondsSinceMidnight() = 0;
};

}  // namespace tremolex
