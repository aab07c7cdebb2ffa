// The charge detector on the readings of a device sending 400 a second: its cost per
// reading, against a floor measured in the same run (summing the same readings into bins of
// charge time and nothing else), and the allocations per reading, which must be none.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "allocationcounter.h"
#include "charge/chargedetector.h"
#include "chargecurve.h"
#include "chargereadings.h"

namespace {

using namespace tremolex;

struct Reading {
    double seconds;
    std::int16_t count;
};

// A NiMH charge at 1C stopped at 80 % (so the detector never stops looking), with noise,
// spikes, contact bounce and pauses: about 1.3 million readings.
const std::vector<Reading>& deviceReadings() {
    static const std::vector<Reading> readings = [] {
        std::vector<Reading> all;
        const cellsim::ChargeCurve curve(cellsim::ChargeCurve::Kind::Stopped80, 3);
        cellsim::ChargeReadings device(curve, 1.0 / 400, 3);
        while (const auto slot = device.next()) {
            if (slot->count) {
                all.push_back({slot->seconds, static_cast<std::int16_t>(*slot->count)});
            }
        }
        return all;
    }();
    return readings;
}

// The least any detector in charge time must do: add each reading to its 5-s bin.
double floorSum(const std::vector<Reading>& readings) {
    double bins = 0, sum = 0, binEnd = 0;
    for (const Reading& reading : readings) {
        if (reading.seconds >= binEnd) {
            bins += sum;
            sum = 0;
            binEnd = reading.seconds + 5;
        }
        sum += reading.count;
    }
    return bins + sum;
}

void BM_ChargeDetector(benchmark::State& state) {
    const std::vector<Reading>& readings = deviceReadings();
    const auto count = static_cast<double>(readings.size());
    double floorSeconds = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(floorSum(readings));
        floorSeconds = std::min(
            floorSeconds,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }

    ChargeDetector detector;
    double seconds = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        detector.restart();
        const std::size_t before = allocationCount();
        const auto start = std::chrono::steady_clock::now();
        std::int32_t index = 0;
        for (const Reading& reading : readings) {
            detector.add(reading.count, ++index, reading.seconds);
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        allocations += allocationCount() - before;
        benchmark::DoNotOptimize(detector.end());
    }
    const double perIteration = seconds / static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * readings.size()));
    state.counters["ns_per_reading"] = perIteration / count * 1e9;
    state.counters["floor_ns_per_reading"] = floorSeconds / count * 1e9;
    state.counters["x_floor"] = perIteration / floorSeconds;
    state.counters["allocs_per_reading"] =
        static_cast<double>(allocations) / (count * static_cast<double>(state.iterations()));
    state.counters["found"] = detector.end() ? 1 : 0;  // none: the capture never ends
}
BENCHMARK(BM_ChargeDetector)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
