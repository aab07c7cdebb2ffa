#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tremolex {

// Local time of day from the system clock. The conversion to local time (time zone,
// daylight saving) is done at most once a minute; in between a reading costs one
// read of the system clock, so the receive path can read it for every sample.
class QtClock final : public Clock {
public:
    float secondsSinceMidnight() override;

private:
    std::int64_t m_midnightMs = 0;  // local midnight, in ms since the epoch
    std::int64_t m_validFromMs = 0;
    std::int64_t m_validUntilMs = 0;  // m_midnightMs holds in [from, until)
};

}  // namespace tremolex
