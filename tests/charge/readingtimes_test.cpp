#include "charge/readingtimes.h"

#include <gtest/gtest.h>

namespace tremolex {

// Readings once a second from 100 s (index = seconds), bins counted from 100 s; the ring
// holds the last 160 bins (800 s).
TEST(ReadingTimes, NamesTheNearestReadingStillHeld) {
    const std::tuple<const char*, double, double, std::int32_t> cases[] = {
        {"on a reading", 200, 300, 200},
        {"between two readings of a bin", 150.4, 300, 150},
        {"between two bins", 104.6, 300, 105},
        {"after the last reading", 320, 300, 300},
        {"before the start", 50, 300, 100},
        {"in a pause", 200, -1, 190},
        {"in bins the ring has since reused: the oldest held", 120, 1200, 405},
    };
    for (const auto& [name, seconds, last, index] : cases) {
        ReadingTimes readings;
        readings.restart(100);
        for (int s = 100; s <= (last < 0 ? 400 : last); ++s) {
            if (last >= 0 || s <= 190 || s >= 230) {  // -1: a pause from 191 to 229 s
                readings.add(s, s);
            }
        }
        EXPECT_EQ(readings.indexNear(seconds), index) << name;
    }
}

}  // namespace tremolex
