#pragma once

#include <cstdint>
#include <vector>

#include "charge/levelfilter.h"
#include "charge/readingtimes.h"

namespace tremolex {

// The peak a fall is measured from: the highest level of the last 12 minutes (a fall shows
// well within them, and over a long flat top the noise of hours would lift an all-time
// high), with how far it had climbed above the lowest level of the half hour before it.
// Levels come in minutes of charge time that never go back. Constant time, no allocation.
class PeakFinder {
public:
    struct Peak {
        std::int64_t minute = -1;  // -1: none
        double counts = 0;
        double seconds = 0;
        double spread = 0;       // its uncertainty, counts
        double climb = 0;        // above the lowest level of the half hour before, counts
        std::int32_t index = 0;  // the stored reading nearest it
    };

    PeakFinder();

    // Forgets every level.
    void restart();
    // A level taken in `minute`, with its uncertainty; `readings` names the reading of a new high.
    void add(const LevelFilter::Level& level, double spread, std::int64_t minute,
             const ReadingTimes& readings);
    // The highest level of the 12 minutes up to `minute`; its minute is -1 when there is none.
    const Peak& highest(std::int64_t minute) const;

private:
    std::vector<Peak> m_highs;               // ring of each minute's highest level
    std::vector<LevelFilter::Level> m_lows;  // ring of each minute's lowest level
};

}  // namespace tremolex
