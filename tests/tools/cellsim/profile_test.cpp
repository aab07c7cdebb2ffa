#include "profile.h"

#include <gtest/gtest.h>

#include "linemaker.h"

namespace tremolex::cellsim {
namespace {

// A charger ends a charge on the peak and the drop after it: a curve that wobbles on the
// way up or rises again afterwards would end a charge too early or never.
TEST(Profile, ChargeCurvesRiseToOnePeakNearTheHourThenDropALittle) {
    const struct {
        Profile::Kind kind;
        double startLow, startHigh;  // volts
        double dropLow, dropHigh;    // volts below the peak, 10 min after it
    } cases[] = {{Profile::Kind::NiMH, 1.2, 1.3, 0.005, 0.02},
                 {Profile::Kind::NiCd, 1.15, 1.25, 0.03, 0.06}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Profile::nameOf(c.kind));
        const Profile profile(c.kind);
        EXPECT_GE(profile.volts(0), c.startLow);
        EXPECT_LE(profile.volts(0), c.startHigh);
        double peakSecond = 0;
        for (double s = 0; s <= 180 * 60; s += 5) {
            peakSecond = profile.volts(s) > profile.volts(peakSecond) ? s : peakSecond;
        }
        for (double s = 5; s <= 180 * 60; s += 5) {
            const double step = profile.volts(s) - profile.volts(s - 5);
            ASSERT_TRUE(s <= peakSecond ? step >= 0 : step <= 0) << "turns at " << s << " s";
        }
        const double peak = profile.volts(peakSecond);
        EXPECT_GE(peak, 1.45);
        EXPECT_LE(peak, 1.50);
        EXPECT_GE(peakSecond, 60 * 60);
        EXPECT_LE(peakSecond, 70 * 60);
        const double after = profile.volts(peakSecond + 600);
        EXPECT_GE(peak - after, c.dropLow);
        EXPECT_LE(peak - after, c.dropHigh);
        // The drop must show in counts, or the program never sees it.
        EXPECT_GE(countForVolts(peak) - countForVolts(after), 3);
    }
}

TEST(Profile, TestShapesAreExact) {
    EXPECT_NEAR(Profile(Profile::Kind::Constant, 2.0).volts(5000), 2.0, 1e-9);
    EXPECT_NEAR(Profile(Profile::Kind::Sine).volts(15), 1.5, 1e-9);  // its top, a quarter period in
    // Tests of the program rely on the ramp's count at whole second s being s mod 1024.
    for (int s = 0; s < 3000; ++s) {
        ASSERT_EQ(countForVolts(Profile(Profile::Kind::Ramp).volts(s)), s % 1024) << s;
    }
}

}  // namespace
}  // namespace tremolex::cellsim
