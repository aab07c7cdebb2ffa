// How soon any detector could see a charge's fall, run by hand beside charge_sweep: for each
// simulated charge it knows what no detector knows (the true peak, the noise-free curve and
// the device's noise) and asks whether, 3 minutes after the peak, the best window of the
// readings since then has fallen below the readings around the peak by at least 1 count and
// `margin` times the two means' noise. The share of runs where even this cannot be said is a
// floor under what a detector with that margin against false ends misses within 3 minutes.
//   charge_bound [seeds=40000] [kind=nimh-0.5c] [lowest rate=0.1] [highest rate=0.2]
//                [margin=4.5]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "chargecurve.h"
#include "chargereadings.h"
#include "converter.h"
#include "readingrates.h"

namespace {

using namespace tremolex::cellsim;

constexpr double kSoon = 180;      // seconds after the peak
constexpr double kPeakReach = 45;  // readings this near the peak give its level
constexpr double kWindowStep = 5;  // the windows tried end at kSoon, 10 s long and up
constexpr double kFallCounts = 1;

// The standard deviation of a reading: uniform in +-noise counts, then rounded.
double spreadOf(double noise) {
    return std::sqrt(noise * noise / 3 + 1.0 / 12);
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t seeds = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 40000;
    const auto kind = ChargeCurve::kindNamed(argc > 2 ? argv[2] : "nimh-0.5c");
    const double lowest = argc > 3 ? std::strtod(argv[3], nullptr) : 0.1;
    const double highest = argc > 4 ? std::strtod(argv[4], nullptr) : 0.2;
    const double margin = argc > 5 ? std::strtod(argv[5], nullptr) : 4.5;
    if (!kind) {
        std::fprintf(stderr, "charge_bound: unknown kind\n");
        return 2;
    }
    int runs = 0;
    int unseen = 0;
    std::vector<double> after;
    for (std::uint64_t seed = 0; seed < seeds; ++seed) {
        const double rate = readingRateOf(*kind, seed);
        const ChargeCurve curve(*kind, seed);
        if (rate < lowest || rate > highest || !curve.endSeconds()) {
            continue;
        }
        ++runs;
        const double peak = *curve.endSeconds();
        const double top = curve.volts(peak) * kCountsPerVolt;
        ChargeReadings readings(curve, 1 / rate, seed);
        int nearPeak = 0;
        after.clear();
        while (const auto slot = readings.next()) {
            if (slot->count && std::abs(slot->seconds - peak) <= kPeakReach) {
                ++nearPeak;
            }
            if (slot->count && slot->seconds > peak && slot->seconds <= peak + kSoon) {
                after.push_back(slot->seconds);
            }
        }
        const double noise = spreadOf(readings.noiseCounts());
        bool seen = false;
        for (double length = 2 * kWindowStep; length <= kSoon && !seen && nearPeak > 0;
             length += kWindowStep) {
            double fall = 0;
            int count = 0;
            for (const double seconds : after) {
                if (seconds >= peak + kSoon - length) {
                    fall += top - curve.volts(seconds) * kCountsPerVolt;
                    ++count;
                }
            }
            if (count == 0) {
                continue;
            }
            fall /= count;
            const double spread = noise * std::sqrt(1.0 / count + 1.0 / nearPeak);
            seen = fall >= kFallCounts && fall >= margin * spread;
        }
        unseen += seen ? 0 : 1;
    }
    std::printf(
        "%d runs at %g-%g readings/s: %d (%.2f %%) cannot be told from noise within %g s "
        "at a margin of %g\n",
        runs, lowest, highest, unseen, runs > 0 ? 100.0 * unseen / runs : 0.0, kSoon, margin);
}
