// The charge detector over many simulated captures, run by hand (never in CI): for each kind
// of charge and band of reading rates, how many ends were found, how many within 3 minutes
// of the true peak, how late (median, 99th percentile, latest) and how many came before the
// peak; for the captures that never end, how many ends were found at all.
//   charge_sweep [seeds=40000] [first seed=0] [threads=2] [kinds=all] [lowest rate=0]
//                [highest rate=1000]
// `kinds`: names joined by commas ("nimh-1c,nicd-1c"); only runs read at rates within the
// given ones are made, so a slow band can be looked at alone.
// Rates as in the detector's tests (cellsim::readingRateOf); seeds 0-999 are the tests' own.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "charge/chargedetector.h"
#include "chargecurve.h"
#include "chargereadings.h"
#include "readingrates.h"

namespace {

using tremolex::ChargeDetector;
using tremolex::cellsim::ChargeCurve;
using Kind = ChargeCurve::Kind;

constexpr double kBands[] = {0.1, 0.2, 0.5, 1, 5, 400.001};
constexpr std::size_t kBandCount = std::size(kBands) - 1;

struct Tally {
    int runs = 0;
    int early = 0;
    std::vector<double> late;  // seconds after the true peak
    std::vector<std::string> notes;
};

double quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(q * values.size()))];
}

std::size_t bandOf(double rate) {
    std::size_t band = 0;
    while (band + 1 < kBandCount && rate >= kBands[band + 1]) {
        ++band;
    }
    return band;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t seeds = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 40000;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;
    const unsigned threads = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 2;
    const std::string kinds = argc > 4 ? argv[4] : "all";
    const double lowest = argc > 5 ? std::strtod(argv[5], nullptr) : 0;
    const double highest = argc > 6 ? std::strtod(argv[6], nullptr) : 1000;
    const auto wanted = [&](Kind kind) {
        const std::string name(ChargeCurve::nameOf(kind));
        return kinds == "all" || ("," + kinds + ",").find("," + name + ",") != std::string::npos;
    };

    std::vector<Tally> tallies(ChargeCurve::kKinds.size() * kBandCount);
    std::mutex lock;
    const auto work = [&](unsigned part) {
        for (std::size_t k = 0; k < ChargeCurve::kKinds.size(); ++k) {
            const Kind kind = ChargeCurve::kKinds[k];
            if (!wanted(kind)) {
                continue;
            }
            for (std::uint64_t seed = first + part; seed < first + seeds; seed += threads) {
                const double rate = tremolex::cellsim::readingRateOf(kind, seed);
                if (rate < lowest || rate > highest) {
                    continue;
                }
                const ChargeCurve curve(kind, seed);
                tremolex::cellsim::ChargeReadings readings(curve, 1 / rate, seed);
                ChargeDetector detector;
                std::int32_t index = 0;
                while (const auto slot = readings.next()) {
                    if (slot->count) {
                        detector.add(static_cast<std::int16_t>(*slot->count), ++index,
                                     slot->seconds);
                        if (detector.end()) {
                            break;
                        }
                    }
                }
                const auto truth = curve.endSeconds();
                const std::lock_guard guard(lock);
                Tally& tally = tallies[k * kBandCount + bandOf(rate)];
                ++tally.runs;
                if (!detector.end()) {
                    if (truth) {
                        char note[160];
                        std::snprintf(note, sizeof note, "seed %" PRIu64 " at %.3f/s: not found",
                                      seed, rate);
                        tally.notes.emplace_back(note);
                    }
                    continue;
                }
                const double late = detector.end()->foundSeconds - truth.value_or(1e18);
                char note[160];
                std::snprintf(note, sizeof note, "seed %" PRIu64 " at %.3f/s: %+.0f s", seed, rate,
                              late);
                if (!truth || late < 0) {
                    ++tally.early;
                    tally.notes.emplace_back(note);
                    continue;
                }
                tally.late.push_back(late);
                if (late > 180 && kind != Kind::NiMHTenthC && tally.notes.size() < 5) {
                    tally.notes.emplace_back(note);
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (unsigned part = 0; part < threads; ++part) {
        pool.emplace_back(work, part);
    }
    for (std::thread& thread : pool) {
        thread.join();
    }

    std::printf(
        "| kind | readings/s | runs | found | within 3 min | median s | p99 s | latest s "
        "| early or false |\n|---|---|---|---|---|---|---|---|---|\n");
    for (std::size_t k = 0; k < ChargeCurve::kKinds.size(); ++k) {
        for (std::size_t band = 0; band < kBandCount; ++band) {
            const Tally& tally = tallies[k * kBandCount + band];
            if (tally.runs == 0) {
                continue;
            }
            const auto soon = std::count_if(tally.late.begin(), tally.late.end(),
                                            [](double late) { return late <= 180; });
            std::printf("| %s | %g-%g | %d | %zu | %.2f %% | %.0f | %.0f | %.0f | %d |\n",
                        std::string(ChargeCurve::nameOf(ChargeCurve::kKinds[k])).c_str(),
                        kBands[band], std::min(kBands[band + 1], 400.0), tally.runs,
                        tally.late.size(), 100.0 * static_cast<double>(soon) / tally.runs,
                        quantile(tally.late, 0.5), quantile(tally.late, 0.99),
                        quantile(tally.late, 1), tally.early);
        }
    }
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        for (const std::string& note : tallies[i].notes) {
            std::printf(
                "%s %s\n",
                std::string(ChargeCurve::nameOf(ChargeCurve::kKinds[i / kBandCount])).c_str(),
                note.c_str());
        }
    }
}
