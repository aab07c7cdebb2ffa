#pragma once

#include <cstdint>
#include <vector>

namespace tremolex {

// Which stored reading came nearest a charge time, for the readings of the last 13 minutes:
// it keeps the first and last reading of each 5-second bin of charge time (counted from the
// start given to restart()); inside a bin the readings are taken as evenly spaced. Constant
// time and no allocation per reading.
class ReadingTimes {
public:
    ReadingTimes();

    // Forgets everything; bins count from `startSeconds`.
    void restart(double startSeconds);
    // A reading as stored: its index in the store and its charge time, at or after the
    // start and the reading before.
    void add(std::int32_t index, double seconds);
    // The index of the reading nearest `seconds` among those still held; 0 when none is.
    std::int32_t indexNear(double seconds) const;

private:
    struct Bin {
        std::int64_t number = -1;  // which bin of charge time this slot holds; -1: none
        std::int32_t firstIndex = 0;
        std::int32_t lastIndex = 0;
        double firstSeconds = 0;
        double lastSeconds = 0;
    };

    double m_start = 0;
    Bin* m_current = nullptr;  // the bin of the last reading; none yet
    double m_currentEnd = 0;   // charge time at which it ends
    std::vector<Bin> m_bins;   // ring, by bin number
};

}  // namespace tremolex
