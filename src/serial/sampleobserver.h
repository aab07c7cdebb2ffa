#pragma once

#include <cstdint>

#include "state/chargetimes.h"
#include "state/readingtime.h"

namespace tremolex {

// One reading as it arrived.
struct ArrivedReading {
    std::int16_t count = 0;
    std::int32_t index = 0;  // its position in the store, 1..; 0: the full store turned it away
    ReadingTime time;
};

// Told of each reading as SampleReception takes it, inside the receive call. Called for
// every reading, so it must be quick and allocate nothing.
class SampleObserver {
public:
    virtual ~SampleObserver() = default;

    // `times` already holds the steady clock of a stored reading as lasttime.
    virtual void sampleArrived(const ArrivedReading& reading, const ChargeTimes& times) = 0;
};

}  // namespace tremolex
