#pragma once

#include <cstdint>

#include "chargecurve.h"
#include "fastrandom.h"

namespace tremolex::cellsim {

// Readings a second for run `seed` of `kind` in the charge detector's tests and sweeps,
// spread log-uniformly so that each decade has as many runs. A charge at 400/s costs 4000
// times one at 0.1/s, so one run in 50 spans the whole 0.1-400/s and the others 0.1-5/s,
// where the few readings a window make most ends late. The C/10 charge lasts 15 h:
// 0.1-0.5/s.
inline double readingRateOf(ChargeCurve::Kind kind, std::uint64_t seed) {
    FastRandom random(seed * 7919 + static_cast<std::uint64_t>(kind));
    const double fastest = kind == ChargeCurve::Kind::NiMHTenthC ? 0.5 : seed % 50 == 0 ? 400 : 5;
    return random.logBetween(0.1, fastest);
}

}  // namespace tremolex::cellsim
