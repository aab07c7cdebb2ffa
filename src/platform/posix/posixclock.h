#pragma once

#include "platform/clock.h"

namespace tremolex {

// CLOCK_BOOTTIME for charge time (it counts through suspend, unlike CLOCK_MONOTONIC),
// CLOCK_REALTIME for the wall clock, and the C library's time zone for local time.
class PosixClock final : public Clock {
public:
    double steadySeconds() override;
    std::int64_t utcMilliseconds() override;
    std::int32_t utcOffsetMinutes(std::int64_t utcMilliseconds) override;
};

}  // namespace tremolex
