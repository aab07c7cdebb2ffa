#include "profile.h"

#include <gtest/gtest.h>

#include "chargecurve.h"
#include "linemaker.h"

namespace tremolex::cellsim {
namespace {

// A charger ends a charge on the peak and the drop after it: a curve that wobbles on the
// way up or rises again afterwards would end a charge too early or never.
TEST(Profile, ChargeCurvesRiseToOnePeakNearTheHourThenDropALittle) {
    // kind, volts at the start, least and most drop below the peak 10 min after it
    const std::tuple<Profile::Kind, double, double, double> cases[] = {
        {Profile::Kind::NiMH, 1.25, 0.005, 0.02}, {Profile::Kind::NiCd, 1.2, 0.03, 0.06}};
    for (const auto& [kind, start, leastDrop, mostDrop] : cases) {
        SCOPED_TRACE(Profile::nameOf(kind));
        const Profile profile(kind);
        EXPECT_NEAR(profile.volts(0), start, 0.05);
        double peakSecond = 0;  // where the rise ended so far
        for (double s = 5; s <= 180 * 60; s += 5) {
            const double step = profile.volts(s) - profile.volts(s - 5);
            ASSERT_TRUE(step <= 0 || peakSecond == s - 5) << "rises again at " << s << " s";
            peakSecond = step >= 0 && peakSecond == s - 5 ? s : peakSecond;
        }
        const double peak = profile.volts(peakSecond), after = profile.volts(peakSecond + 600);
        EXPECT_NEAR(peak, 1.475, 0.025);
        EXPECT_NEAR(peakSecond, 65 * 60, 5 * 60);
        EXPECT_TRUE(peak - after >= leastDrop && peak - after <= mostDrop) << peak - after;
        // The drop must show in counts, or the program never sees it.
        EXPECT_GE(countForVolts(peak) - countForVolts(after), 3);
    }
}

// The true end is the curve's highest point, the fall after it has the published size, and
// the start (with the early bump of a deeply discharged cell) stays below it.
TEST(ChargeCurve, PeaksAtItsTrueEndThenFallsByThePublishedDrop) {
    for (const auto& [kind, least, most] : {std::tuple{ChargeCurve::Kind::NiMH1C, 0.005, 0.012},
                                            {ChargeCurve::Kind::NiCd1C, 0.010, 0.020},
                                            {ChargeCurve::Kind::NiMHTenthC, 0.0, 0.002}}) {
        for (std::uint64_t seed = 0; seed < 20; ++seed) {
            const ChargeCurve curve(kind, seed);
            const double end = curve.endSeconds().value(), peak = curve.volts(end);
            for (double s = 0; s < curve.lengthSeconds(); s += 7) {
                ASSERT_LE(curve.volts(s), peak + 1e-9) << seed << " at " << s;
            }
            const double drop = peak - curve.volts(curve.lengthSeconds());
            EXPECT_TRUE(drop >= least - 1e-6 && drop <= most) << seed << ": " << drop;
        }
    }
    EXPECT_FALSE(ChargeCurve(ChargeCurve::Kind::Stopped80, 1).endSeconds());
}

}  // namespace
}  // namespace tremolex::cellsim
