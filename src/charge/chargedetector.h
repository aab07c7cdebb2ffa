#pragma once

#include <cstdint>
#include <optional>

namespace tremolex {

// Finds the end of a NiMH or NiCd charge of one cell from the readings as they are stored,
// each with its charge time: the voltage falling after its peak (-dV), or flat after its
// final rise. Its windows are in charge time, never in readings, so the reading rate does
// not change the answer. Nothing fires in the first 5 minutes after a (re)start. A reading
// at 0.2 V or below (the cell taken out) starts over. Constant time and no allocation per
// reading; bounded state.
class ChargeDetector {
public:
    struct End {
        double peakCount = 0;    // the smoothed peak, in counts (1023 = 2.5 V)
        double peakSeconds = 0;  // charge time of the peak
        std::int32_t peakIndex = 0;  // store index of the reading nearest the peak
        double foundSeconds = 0;     // charge time when the end was found
    };

    ChargeDetector();

    // A reading as it was stored: its count, its index in the store, and its charge time
    // in seconds (never decreasing over a capture).
    void add(std::int16_t count, std::int32_t index, double chargeSeconds);
    // A new capture (Load Graph, or the store emptied): everything is forgotten.
    void restart();
    // The end of the charge, once found; it stays found until a restart.
    const std::optional<End>& end() const { return m_end; }

private:
    std::optional<End> m_end;
};

}  // namespace tremolex
