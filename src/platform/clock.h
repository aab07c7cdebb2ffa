#pragma once

#include <cstdint>

namespace tremolex {

// The clocks a capture's times come from, read together for each reading.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds on a clock that never steps and counts on while the machine sleeps (the charger
    // does not sleep): charge times are its differences, so setting the wall clock, daylight
    // saving or a time-sync correction never bends them. Its zero means nothing.
    virtual double steadySeconds() = 0;
    // The wall clock, for people: milliseconds since 1970-01-01 00:00 UTC. It may step.
    virtual std::int64_t utcMilliseconds() = 0;
    // How far local time is ahead of UTC at the moment `utcMilliseconds`, in minutes.
    virtual std::int32_t utcOffsetMinutes(std::int64_t utcMilliseconds) = 0;
};

}  // namespace tremolex
