#pragma once

#include "platform/clock.h"

namespace tremolex {

// GetTickCount64 for charge time (it counts through sleep, unlike the "unbiased" interrupt
// time), the system time for the wall clock, and the time zone's rules for local time.
class Win32Clock final : public Clock {
public:
    double steadySeconds() override;
    std::int64_t utcMilliseconds() override;
    std::int32_t utcOffsetMinutes(std::int64_t utcMilliseconds) override;
};

}  // namespace tremolex
