#pragma once

namespace tremolex {

inline constexpr double kSecondsPerDay = 86400.0;

// The clock's seconds since local midnight start again at 0 at midnight: a reading more than
// half a day below the one before means a midnight has passed. Smaller backward steps (the
// clock set back) cannot be told from a midnight and are taken as they are.
constexpr bool midnightPassed(double previous, double now) {
    return now < previous - kSecondsPerDay / 2;
}

}  // namespace tremolex
