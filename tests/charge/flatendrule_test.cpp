#include "charge/flatendrule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tremolex {

// A level every other bin: 500 counts, climbing `climb` over the half hour to 5 h, then
// flat but for a rise of `step` at 5.5 h; `gap`: minutes from 5.5 h with no level. The slow
// level (10 minutes of levels) ends its climb at 5 h 10 min.
TEST(FlatEndRule, EndsAfter45MinutesFlatFollowingAClimbOf15mVWithinTheHour) {
    const std::tuple<const char*, double, double, double, std::optional<double>> cases[] = {
        {"6 counts, then flat", 6, 0, 0, 5 * 60 + 55},
        {"5.5 counts is a drift", 5.5, 0, 0, std::nullopt},
        {"a rise of 0.4 is no new high", 6, 0.4, 0, 5 * 60 + 55},
        {"a rise of 0.6 is flat only from there", 6, 0.6, 0, 5 * 60 + 39 + 45},
        {"a pause of 10 min delays it", 6, 0, 10, 6 * 60 + 3},
    };
    for (const auto& [name, climb, step, gap, minute] : cases) {
        FlatEndRule rule;
        ReadingTimes readings;
        std::optional<double> found;
        for (std::int64_t bin = 0; bin < 12 * 60 * 8 && !found; ++bin) {
            const double at = static_cast<double>(bin + 1) / 12;  // minutes
            const double counts =
                500 + climb * std::clamp((at - 270) / 30, 0.0, 1.0) + (at > 330 ? step : 0);
            std::optional<LevelFilter::Level> level;
            if (bin % 2 == 1 && !(at > 330 && at <= 330 + gap)) {
                level = LevelFilter::Level{bin, counts, at * 60};
            }
            if (const auto peak = rule.add(bin, level, at * 60, readings)) {
                found = at;
                EXPECT_NEAR(peak->counts, 500 + climb + step, 0.01) << name;
            }
        }
        ASSERT_EQ(found.has_value(), minute.has_value()) << name;
        EXPECT_NEAR(found.value_or(0), minute.value_or(0), 1) << name;
    }
}

}  // namespace tremolex
