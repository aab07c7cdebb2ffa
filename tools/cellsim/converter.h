#pragma once

// The simulated device's 10-bit converter: count 1023 stands for 2.5 V. The device keeps
// its own figures, apart from the program's, so that a fault in the program's conversion
// shows against it.
namespace tremolex::cellsim {

inline constexpr int kTopCount = 1023;
inline constexpr double kFullScaleVolts = 2.5;
inline constexpr double kCountsPerVolt = kTopCount / kFullScaleVolts;

}  // namespace tremolex::cellsim
