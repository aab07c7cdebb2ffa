#include "charge/fallrule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tremolex {

// Windows every 10 s (bins of 5 s): a level at `base` that climbs `climb` counts over
// `climbMinutes` to a peak at 60 min, then falls `fall` counts within a minute; each window's
// spread is `spread` (its recent part's 1.4 times that).
struct FallScript {
    const char* name;
    double climb;
    double climbMinutes;
    double fall;
    double spread;
    bool restartAtPeak;
    std::optional<double> foundMinute;  // nothing: no end
};

TEST(FallRule, EndsOnAFallClearOfTheNoiseAfterAClimbOf24mVWithinHalfAnHour) {
    const FallScript scripts[] = {
        {"10 counts in 20 min, then 1.5", 10, 20, 1.5, 0.05, false, 61},
        {"9.5 counts in 20 min is too little", 9.5, 20, 1.5, 0.05, false, std::nullopt},
        {"10 counts over 40 min climbs too slowly", 10, 40, 1.5, 0.05, false, std::nullopt},
        {"a fall of 1 count is no more than a count", 10, 20, 0.9, 0.05, false, std::nullopt},
        {"a fall within 4.5 times the noise", 10, 20, 3, 0.4, false, std::nullopt},
        {"a fall clear of 4.5 times the noise", 10, 20, 3.3, 0.4, false, 61},
        {"a fall after the climb was forgotten", 10, 20, 1.5, 0.05, true, std::nullopt},
    };
    for (const FallScript& s : scripts) {
        FallRule rule;
        ReadingTimes readings;
        std::optional<double> found;
        for (std::int64_t bin = 1; bin < 12 * 75 && !found; bin += 2) {
            const double minute = static_cast<double>(bin + 1) / 12;
            const double climbed =
                std::clamp((minute - 60 + s.climbMinutes) / s.climbMinutes, 0.0, 1.0);
            const double fallen = std::clamp(minute - 60, 0.0, 1.0);
            const double counts = 500 + s.climb * climbed - s.fall * fallen;
            if (s.restartAtPeak && bin == 12 * 60 - 1) {
                rule.restart();
            }
            LevelFilter::Window window{
                {bin, counts, minute * 60}, s.spread, counts, 1.4 * s.spread};
            if (const auto peak = rule.look(window, bin, readings)) {
                found = minute;
                EXPECT_NEAR(peak->counts, 500 + s.climb, 1e-9) << s.name;
                EXPECT_NEAR(peak->seconds, 3600, 10) << s.name;
            }
        }
        ASSERT_EQ(found.has_value(), s.foundMinute.has_value()) << s.name;
        EXPECT_NEAR(found.value_or(0), s.foundMinute.value_or(0), 1) << s.name;
    }
}

}  // namespace tremolex
