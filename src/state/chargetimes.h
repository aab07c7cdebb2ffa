#pragma once

namespace tremolex {

// The two readings of the steady clock (Clock::steadySeconds) whose difference is the
// charge time shown.
struct ChargeTimes {
    double starttime = 0;  // when the capture began
    double lasttime = 0;   // at the latest stored sample
};

}  // namespace tremolex
