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
    float now = 0, step = 0;
    int readings = 0;

    float secondsSinceMidnight() override {
        ++readings;
        const float t = script.empty() ? std::exchange(now, now + step) : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        return t;
    }
};

}  // namespace tremolex
