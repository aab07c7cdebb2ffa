#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace tremolex {

// Turns readings into the level of a cell's voltage, robust to what a real set-up adds:
// readings are summed into 5-second bins of charge time (counted from the start given to
// restart()); every 10 s the last 90 s of bins give a level. Readings far off the last kept
// bin, bins standing out from their neighbours (spikes, contact bounce) and bins far from
// the window's median are left out; a level that jumps faster than a cell's voltage can is
// passed over, unless the jump stays for 3 minutes (another cell). The noise of a bin's mean
// is measured from the steps between neighbouring bins, so the curve's climb counts for
// nothing. Constant time and no allocation per reading; bounded state.
//
// Use: for a reading at `seconds`, finish() each bin while due(seconds), then add() it.
class LevelFilter {
public:
    static constexpr double kBinSeconds = 5;
    static constexpr std::int64_t kBinsPerMinute = 12;

    struct Level {
        std::int64_t number = -1;  // the bin (or minute) it was taken at; -1: none
        double counts = 0;
        double seconds = 0;  // the mean charge time of what it averages
    };
    // A window's level and its uncertainty (counts), and the level of its recent part, the
    // last 45 s of kept bins, with its own (nothing when too few bins hold readings).
    struct Window {
        Level level;
        double spread = 0;
        std::optional<double> recent;
        double recentSpread = 0;
    };
    // What the end of one bin showed.
    struct Look {
        std::int64_t bin = 0;
        std::optional<Window> window;  // a steady level, every other bin with readings
        bool jumped = false;           // the level jumped and stayed: a peak is looked for afresh
    };

    LevelFilter();

    // Forgets everything; bins count from `startSeconds`.
    void restart(double startSeconds);
    // Whether a bin is to be finished before a reading at `seconds` goes in.
    bool due(double seconds) const {
        return m_current && seconds >= m_currentEnd && m_finishing <= lastDue(seconds);
    }
    // Finishes the next such bin. Only when due().
    Look finish();
    // A reading, at or after the one before.
    void add(std::int16_t count, double seconds);
    // Charge time at which bin `number` ends.
    double binEnd(std::int64_t number) const {
        return m_start + static_cast<double>(number + 1) * kBinSeconds;
    }

private:
    struct Bin {
        std::int64_t number = -1;  // which bin of charge time this slot holds; -1: none
        double sum = 0;            // of the counts near the level
        double timeSum = 0;        // of their charge times
        std::int32_t readings = 0;
        double offSum = 0;  // the same of the readings far off the last bin's mean
        double offTimeSum = 0;
        std::int32_t offReadings = 0;
        double mean = 0;     // of the counts, once the bin is finished
        bool spike = false;  // it stands out from its neighbours
    };
    // The steps between neighbouring bins' means in one minute.
    struct Steps {
        std::int64_t minute = -1;  // -1: none
        double sum = 0;
        double squares = 0;
        int count = 0;
    };

    std::int64_t numberAt(double seconds) const;
    std::int64_t lastDue(double seconds) const;
    std::optional<Window> windowAt(std::int64_t number);
    double binVariance(std::int64_t number) const;
    bool steady(const Level& level, bool& jumped);
    void take(const Level& level);
    Bin* before(std::int64_t number);
    void classify(Bin& bin);

    double m_start = 0;
    Bin* m_current = nullptr;           // the bin readings go into (in m_bins); none yet
    double m_currentEnd = 0;            // charge time at which it ends
    std::int64_t m_finishing = 0;       // the next bin to finish
    bool m_anyReadings = false;         // since the window was last looked at
    std::optional<double> m_reference;  // mean of the last bin that was no spike
    double m_referenceSeconds = 0;      // and its charge time
    double m_allowed = std::numeric_limits<double>::infinity();  // counts a reading may be off
    std::vector<Bin> m_bins;                                     // ring, by bin number
    std::vector<const Bin*> m_window;                            // a window's bins with readings
    std::vector<Steps> m_steps;         // ring of the steps between bins of the last 10 minutes
    std::optional<Level> m_lastLevel;   // the last level taken
    std::optional<double> m_jumpSince;  // charge time since when levels jumped away from it
};

}  // namespace tremolex
