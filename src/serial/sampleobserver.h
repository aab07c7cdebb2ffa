#pragma once

#include <cstdint>

#include "state/chargetimes.h"

namespace tremolex {

// Told of each reading as SampleReception stores it, inside the receive call. Called for
// every reading, so it must be quick and allocate nothing.
class SampleObserver {
public:
    virtual ~SampleObserver() = default;

    // `index`: the reading's position in the store, 1..; `times` already holds the clock
    // time of the reading as lasttime.
    virtual void sampleStored(std::int16_t count, std::int32_t index, const ChargeTimes& times) = 0;
};

}  // namespace tremolex
