#pragma once

#include <cstdint>
#include <optional>

#include "chargecurve.h"
#include "fastrandom.h"

namespace tremolex::cellsim {

// What a measuring device reports of a ChargeCurve: one reading every `interval` seconds of
// charge time, rounded to the converter's counts (1023 = 2.5 V), with the faults of a real
// set-up, all drawn from a seed: noise of up to 1 count, single spikes of 5 to 20 counts
// (every 2 to 15 minutes), contact bounce (2 to 4 readings, or a second's worth at fast
// rates, about 50 mV off; at least 5 minutes apart) and pauses of 10 s to 5 min in which no
// reading comes. The faults happen at times of their own,
// so one seed gives the same faults at every reading rate.
class ChargeReadings {
public:
    // The reading due at `seconds`; no count while the device pauses.
    struct Slot {
        double seconds = 0;
        std::optional<int> count;
    };

    // `interval` > 0. `faults` false: the plain rounded curve.
    ChargeReadings(const ChargeCurve& curve, double interval, std::uint64_t seed,
                   bool faults = true);

    // The next slot, one `interval` after the last; nothing once the capture's length is
    // passed.
    std::optional<Slot> next();
    // Counts each reading is off by at most, evenly spread, before rounding.
    double noiseCounts() const { return m_noise; }

private:
    const ChargeCurve& m_curve;
    double m_interval;
    bool m_faults;
    FastRandom m_random;
    std::uint64_t m_slot = 0;
    double m_noise = 0;       // counts: each reading is off by up to this, evenly spread
    double m_spikeMean = 0;   // seconds between spikes, on average
    double m_bounceMean = 0;  // seconds between contact bounces, on average
    double m_pauseMean = 0;   // seconds between pauses, on average
    double m_nextSpike = 0;
    double m_nextBounce = 0;
    double m_nextPause = 0;
    double m_pauseEnd = 0;
    int m_bounceReadings = 0;   // readings of the current bounce still to come
    double m_bounceEnd = 0;     // and the time it lasts at least
    double m_bounceOffset = 0;  // counts
};

}  // namespace tremolex::cellsim
