#pragma once

#include <cstdint>
#include <optional>

#include "charge/levelfilter.h"
#include "charge/peakfinder.h"
#include "charge/readingtimes.h"

namespace tremolex {

// The -dV end: the recent level falls below the peak of the last 12 minutes by more than
// 2.44 mV (1 count) and 4.5 times the two levels' uncertainty, and that peak had
// been climbed to by 24 mV within half an hour. A fall alone, as after the early bump, on a drift
// or on the hours-long plateau of a C/10 charge, is no end. Constant time, no allocation.
class FallRule {
public:
    // Forgets the levels seen: the peak is looked for afresh.
    void restart() { m_peaks.restart(); }
    // A window's level taken at the end of bin `bin`: the peak it fell from, if it did.
    std::optional<PeakFinder::Peak> look(const LevelFilter::Window& window, std::int64_t bin,
                                         const ReadingTimes& readings);

private:
    PeakFinder m_peaks;
};

}  // namespace tremolex
