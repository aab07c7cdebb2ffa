#pragma once

#include <deque>
#include <utility>

#include "platform/clock.h"

namespace tremolex {

// A clock that answers from a script, then keeps giving `now` advanced by `step` per
// reading.
class FakeClock final : public Clock {
public:
    std::deque<float> script;
    float now = 0;
    float step = 0;
    int readings = 0;

    float secondsSinceMidnight() override {
        ++readings;
        if (script.empty()) {
            return std::exchange(now, now + step);
        }
        const float t = script.front();
        script.pop_front();
        return t;
    }
};

}  // namespace tremolex
