#pragma once

#include "platform/clock.h"

namespace tremolex {

// Local time of day from the system clock, to the millisecond. GetLocalTime applies the
// time zone and daylight saving itself, cheaply enough for every sample.
class Win32Clock final : public Clock {
public:
    float secondsSinceMidnight() override;
};

}  // namespace tremolex
