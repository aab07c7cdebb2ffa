#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace tremolex {

// Finds the end of a NiMH or NiCd charge of one cell from the readings as they are stored,
// each with its charge time: the voltage falling after its peak (-dV), or flat after its
// final rise. Its windows are in charge time, never in readings, so the reading rate does
// not change the answer. Nothing fires in the first 5 minutes after a (re)start. A reading
// at 0.2 V or below (the cell taken out) starts over. Constant time and no allocation per
// reading; bounded state.
//
// How: readings are summed into 5-second bins of charge time; every 10 s the last 90 s of
// bins give a level. Readings far off the last bin, bins standing out from both neighbours
// and bins far from the window's median (spikes, contact bounce) are left out; a level that
// jumps faster than a cell's voltage can is passed over.
// -dV: the last 45 s of kept bins fall below the highest level of the last 12 minutes by
// more than 2.44 mV and 5 times the levels' measured noise, and that high had been climbed
// to by 20 mV within half an hour (a fall alone, as after the early bump, a drift or the
// hours-long plateau of a C/10 charge is no end).
// Flat end: a slow level (10 minutes of levels) climbed 15 mV within an hour, then made no
// new high for 45 minutes.
// The work per reading is a few additions; every 10 s a pass over 90 s of bins, once a
// minute one over 10 minutes of levels.
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

    ChargeDetector();

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
    struct Bin {
        std::int64_t number = -1;  // which bin of charge time this slot holds; -1: none
        double sum = 0;            // of the counts near the level
        double timeSum = 0;        // of their charge times
        std::int32_t readings = 0;
        double offSum = 0;  // the same of the readings far off the last bin's mean
        double offTimeSum = 0;
        std::int32_t offReadings = 0;
        std::int32_t firstIndex = 0;
        std::int32_t lastIndex = 0;
        double firstSeconds = 0;
        double lastSeconds = 0;
        double mean = 0;     // of the counts, once the bin is finished
        bool spike = false;  // it stands out from its neighbours
    };
    struct Level {
        std::int64_t number = -1;  // the bin (or minute) it was taken at; -1: none
        double counts = 0;
        double seconds = 0;  // the mean charge time of what it averages
    };

    // The highest level of one minute, and how far it had climbed within half an hour.
    struct High {
        std::int64_t minute = -1;  // -1: none
        double counts = 0;
        double seconds = 0;
        double spread = 0;  // its uncertainty, counts
        double climb = 0;
        std::int32_t index = 0;  // the reading nearest it
    };
    // The steps between neighbouring bins' means in one minute.
    struct Steps {
        std::int64_t minute = -1;  // -1: none
        double sum = 0;
        double squares = 0;
        int count = 0;
    };
    // A window's level, its uncertainty, and the level of its recent part (counts).
    struct Window {
        Level level;
        double spread = 0;
        std::optional<double> recent;
        double recentSpread = 0;
    };

    void startOver();
    void nextBin(std::int32_t index, double chargeSeconds);
    void finishBin(std::int64_t number);
    std::optional<Window> windowAt(std::int64_t number);
    double binVariance(std::int64_t number) const;
    bool steady(const Level& level);
    void forgetLevel();
    Bin* before(std::int64_t number);
    void classify(Bin& bin);
    double binEnd(std::int64_t number) const;
    void checkFall(const Window& window, std::int64_t number);
    void checkFlat(std::int64_t number);
    std::int32_t indexNear(double seconds) const;

    std::optional<End> m_end;

    bool m_started = false;  // a reading above 0.2 V came since the (re)start
    double m_holdUntil = 0;  // charge time before which nothing counts
    double m_lastSeconds = 0;
    Bin* m_current = nullptr;           // the bin readings go into (in m_bins); none yet
    double m_currentEnd = 0;            // charge time at which it ends
    bool m_anyReadings = false;         // since the window was last looked at
    std::optional<double> m_reference;  // mean of the last bin that was no spike
    double m_referenceSeconds = 0;      // and its charge time
    double m_allowed = std::numeric_limits<double>::infinity();  // counts a reading may be off
    std::vector<Bin> m_bins;                                     // ring, by bin number
    std::vector<Level> m_levels;       // ring of the levels of the last 10 minutes, by bin
    std::vector<Level> m_minutes;      // ring of the slow level once a minute, the last hour
    std::vector<High> m_highs;         // ring of each minute's highest level, the last 12 minutes
    std::vector<Level> m_lows;         // ring of each minute's lowest level, the last half hour
    std::vector<const Bin*> m_window;  // a window's bins with readings
    std::vector<double> m_sorted;      // a window's bin means, sorted for their median
    std::vector<Steps> m_steps;        // ring of the steps between bins of the last 10 minutes

    std::optional<Level> m_lastLevel;   // the last level taken
    std::optional<double> m_jumpSince;  // charge time since when levels jumped away from it

    // flat end
    bool m_climbed = false;      // the slow level made a final climb
    double m_flatReference = 0;  // slow level it must rise clearly above to go on climbing
    double m_flatSince = 0;      // charge time it last did
    int m_flatMinutes = 0;       // minutes with a slow level since then
    double m_slowHighest = 0;
    double m_slowHighestSeconds = 0;
    std::int32_t m_slowHighestIndex = 0;
};

}  // namespace tremolex
