// The receive path on a realistic device stream: lines per second, allocations per
// line, and the ratio to the cheapest possible pass over the same bytes (finding the
// line feeds with memchr and nothing else), measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "allocationcounter.h"
#include "benchstubs.h"
#include "platform/posix/posixclock.h"
#include "serial/samplereception.h"

namespace {

using namespace tremolex;
using tremolex::bench::countLines;

// About 8 MB of what a charger logger sends: a NiMH charge curve in counts, with noise.
const std::string& deviceStream() {
    static const std::string stream = [] {
        std::string text;
        std::mt19937 random(1);
        std::normal_distribution<double> noise(0.0, 1.5);
        const int lines = 2'000'000;
        for (int i = 0; i < lines; ++i) {
            const double x = static_cast<double>(i) / lines;
            const double volts =
                1.25 + 0.2 * std::sqrt(x) + 0.05 * std::pow(x, 8) - 0.02 * std::pow(x, 30);
            text += std::to_string(static_cast<int>(volts / 2.5 * 1023 + noise(random))) + '\n';
        }
        return text;
    }();
    return stream;
}

double floorSeconds(std::string_view text) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(countLines(text));
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void BM_Floor(benchmark::State& state) {
    const std::string& stream = deviceStream();
    for (auto _ : state) {
        benchmark::DoNotOptimize(countLines(stream));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * countLines(stream)));
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);

// The whole path with the real clock, the text delivered in chunks of state.range(0)
// bytes, as a serial port hands them over.
void BM_Reception(benchmark::State& state) {
    const std::string& stream = deviceStream();
    const std::string_view all = stream;
    const auto chunk = static_cast<std::size_t>(state.range(0));
    const std::size_t lines = countLines(all);
    const double floor = floorSeconds(all);

    RxBuffer rxbuffer;
    SampleStore store;
    ChargeTimes times;
    PosixClock clock;
    SampleReception reception(rxbuffer, store, times, clock);

    double seconds = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        const std::size_t allocationsBefore = allocationCount();
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t at = 0; at < all.size(); at += chunk) {
            if (store.full()) {
                store.clear();  // a new capture; a few microseconds per 100000 lines
            }
            reception.receive(all.substr(at, chunk));
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        allocations += allocationCount() - allocationsBefore;
    }
    const double perIteration = seconds / static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
    state.counters["lines_per_s"] = static_cast<double>(lines) / perIteration;
    state.counters["x_floor"] = perIteration / floor;
    state.counters["allocs_per_line"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations() * lines);
}
BENCHMARK(BM_Reception)->Arg(8)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
