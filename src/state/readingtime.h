#pragma once

#include <cstdint>
#include <limits>

namespace tremolex {

// When a reading arrived: the wall clock for people and the charge time for arithmetic.
struct ReadingTime {
    // A reading loaded from a file that holds no times.
    static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();

    std::int64_t utcMilliseconds = kNone;  // since 1970-01-01 00:00 UTC
    double chargeSeconds = 0;              // since the recording began, on the steady clock

    bool known() const { return utcMilliseconds != kNone; }
    bool operator==(const ReadingTime&) const = default;
};

}  // namespace tremolex
