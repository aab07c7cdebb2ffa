#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "charge/levelfilter.h"
#include "charge/readingtimes.h"

namespace tremolex {

// The flat end of a slow charge that shows no fall: a slow level (the mean of 10 minutes of
// levels, taken once a minute) climbed 15 mV within an hour, then made no new high (by half
// a count) for 45 minutes, 40 of them with a slow level. Constant time per bin, a pass over
// 10 minutes of levels once a minute; no allocation.
class FlatEndRule {
public:
    struct Peak {
        double counts = 0;  // the highest slow level since the climb
        double seconds = 0;
        std::int32_t index = 0;  // the stored reading nearest it
    };

    FlatEndRule();

    // Forgets everything.
    void restart();
    // The end of bin `bin`, at charge time `now`, with its level if one was taken (bins come
    // in order, one at a time); at a minute's last bin, the peak of a flat end once it shows.
    std::optional<Peak> add(std::int64_t bin, const std::optional<LevelFilter::Level>& level,
                            double now, const ReadingTimes& readings);

private:
    std::optional<Peak> check(std::int64_t bin, double now, const ReadingTimes& readings);

    std::vector<LevelFilter::Level> m_levels;  // ring of the levels of the last 10 minutes, by bin
    std::vector<LevelFilter::Level>
        m_minutes;               // ring of the slow level once a minute, the last hour
    bool m_climbed = false;      // the slow level made a final climb
    double m_flatReference = 0;  // slow level it must rise clearly above to go on climbing
    double m_flatSince = 0;      // charge time it last did
    int m_flatMinutes = 0;       // minutes with a slow level since then
    Peak m_highest;
};

}  // namespace tremolex
