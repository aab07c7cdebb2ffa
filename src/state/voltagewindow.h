#pragma once

namespace tremolex {

// The band of voltages the chart shows, in volts. Every change moves both ends
// together, so scaletop - scalebottom == scalerange up to single-precision rounding.
struct VoltageWindow {
    float scaletop = 0;     // voltage of the top labelled grid line
    float scalebottom = 0;  // voltage of the bottom labelled grid line
    float scalerange = 0;   // width: 0.1..0.9 when chosen by the user
};

}  // namespace tremolex
