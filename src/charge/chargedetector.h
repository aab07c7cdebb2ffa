#pragma once

#include <cstdint>
#include <optional>

#include "charge/fallrule.h"
#include "charge/flatendrule.h"
#include "charge/levelfilter.h"
#include "charge/readingtimes.h"

namespace tremolex {

// Finds the end of a NiMH or NiCd charge of one cell from the readings as they are stored,
// each with its charge time: the voltage falling after its peak (-dV), or flat after its
// final rise. Its windows are in charge time, never in readings, so the reading rate does
// not change the answer. Nothing fires in the first 5 minutes after a (re)start. A reading
// at 0.2 V or below (the cell taken out) starts over. Constant time and no allocation per
// reading; bounded state.
//
// The readings' level comes from a LevelFilter (5-s bins, a 90-s level every 10 s, spikes,
// bounce and jumps left out); a FallRule (with its PeakFinder) and a FlatEndRule decide on
// it; ReadingTimes names the stored reading nearest the peak.
class ChargeDetector {
public:
    struct End {
        // The smoothed peak, in counts (1023 = 2.5 V): the highest 90-s level (-dV) or slow
        // level (flat end), and its charge time.
        double peakCount = 0;
        double peakSeconds = 0;
        // Store index of the reading nearest the peak; inside a 5-s bin the readings are
        // taken as evenly spaced.
        std::int32_t peakIndex = 0;
        double foundSeconds = 0;  // charge time when the end was found
    };

    // A reading as it was stored: its count, its index in the store, and its charge time
    // in seconds (never decreasing over a capture). A time that goes back starts over with
    // that reading; a time that is not finite is ignored. foundSeconds is the end of the
    // bin in which the end showed, at most the charge time of the reading that completed it.
    void add(std::int16_t count, std::int32_t index, double chargeSeconds);
    // A new capture (Load Graph, or the store emptied): everything is forgotten.
    void restart();
    // The end of the charge, once found; it stays found until a restart (or a reading of
    // 0.2 V or below: another cell).
    const std::optional<End>& end() const { return m_end; }

private:
    void startOver();
    void look(const LevelFilter::Look& look);

    std::optional<End> m_end;
    bool m_started = false;  // a reading above 0.2 V came since the (re)start
    double m_holdUntil = 0;  // charge time before which nothing counts
    double m_lastSeconds = 0;
    LevelFilter m_filter;
    ReadingTimes m_readings;
    FallRule m_fall;
    FlatEndRule m_flat;
};

}  // namespace tremolex
