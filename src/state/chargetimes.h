#pragma once

namespace tremolex {

// The two clock readings, in seconds since local midnight, whose difference is the
// charge time shown.
struct ChargeTimes {
    float starttime = 0;  // when the capture began (after a midnight it is negative)
    float lasttime = 0;   // at the latest stored sample
};

}  // namespace tremolex
