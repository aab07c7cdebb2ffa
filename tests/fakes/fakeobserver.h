#pragma once

#include <vector>

#include "serial/sampleobserver.h"

namespace tremolex {

// Keeps every reading it is told of.
class FakeObserver final : public SampleObserver {
public:
    void sampleArrived(const ArrivedReading& reading, const ChargeTimes&) override {
        arrived.push_back(reading);
    }
    std::vector<ArrivedReading> arrived;
};

}  // namespace tremolex
