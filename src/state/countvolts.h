#pragma once

#include <cstdint>

namespace tremolex {

// The volts the converter's full-scale count stands for.
inline constexpr double kFullScaleVolts = 2.5;

// Volts of a count, which need not be whole (a smoothed level): count / fullscale * 2.5 in
// double precision, in that order, so that every caller rounds the same.
constexpr double countVolts(double count, double fullscale) {
    return count / fullscale * kFullScaleVolts;
}

// Volts of a reading, rounded to single (with fullscale 1023: 1023 gives 2.5 V, 512 gives
// 1.2512219 V).
constexpr float countToVolts(std::int16_t count, std::int32_t fullscale) {
    return static_cast<float>(countVolts(count, fullscale));
}

}  // namespace tremolex
