#pragma once

#include <cstdint>

namespace tremolex {

// One reading as a recording holds it.
struct RecordedReading {
    std::int16_t count = 0;            // as the device sent it
    std::int64_t utcMilliseconds = 0;  // when it arrived, since 1970-01-01T00:00Z
    double chargeSeconds = 0;          // since the charge began, to the millisecond

    bool operator==(const RecordedReading&) const = default;
};

}  // namespace tremolex
