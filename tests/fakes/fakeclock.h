#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <utility>

#include "platform/clock.h"

namespace tremolex {

// A steady clock that answers from a script, then keeps giving `now` advanced by `step` per
// reading; the wall clock reads the latest steady answer (`now` before the first) plus
// `wallAhead`, which a test changes to step the wall clock.
class FakeClock final : public Clock {
public:
    std::deque<double> script;
    double now = 0, step = 0;
    int readings = 0;
    std::int64_t wallAhead = 1'796'720'400'000;  // 2026-12-08 09:00 UTC at steady 0
    std::int32_t offsetMinutes = 60;

    double steadySeconds() override {
        ++readings;
        const double t = script.empty() ? std::exchange(now, now + step) : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        m_latest = t;
        m_read = true;
        return t;
    }
    std::int64_t utcMilliseconds() override {
        return wallAhead + std::llround((m_read ? m_latest : now) * 1000);
    }
    std::int32_t utcOffsetMinutes(std::int64_t) override { return offsetMinutes; }

private:
    double m_latest = 0;
    bool m_read = false;
};

}  // namespace tremolex
