// The recording file: writing one line (as for every reading, up to 400 a second) against
// snprintf of the same fields, and reading back a recording of 72 hours at 10 readings a
// second (2.6 million lines) in 64 KiB chunks against finding its line feeds with memchr.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "allocationcounter.h"
#include "recording/recordingformat.h"
#include "recording/recordingreader.h"
#include "state/samplestore.h"

namespace {

using namespace tremolex;

constexpr std::int64_t kLines = 72LL * 3600 * 10;
constexpr std::size_t kChunk = 64 * 1024;  // what readFileChunks hands over
constexpr std::int64_t kStartUtc = 1'796'720'405'123;

RecordedReading readingAt(std::int64_t i) {
    const double x = static_cast<double>(i) / kLines;
    const auto count = static_cast<std::int16_t>((1.25 + 0.2 * std::sqrt(x)) / 2.5 * 1023);
    return {count, kStartUtc + i * 100, static_cast<double>(i * 100) / 1000};
}

const std::string& recording() {
    static const std::string text = [] {
        std::string all = std::string(kRecordingHeader) + "\r\n";
        all.reserve(static_cast<std::size_t>(kLines) * 56);
        std::array<char, kRecordingLineCapacity> line{};
        for (std::int64_t i = 0; i < kLines; ++i) {
            all.append(line.data(), formatRecordingLine(readingAt(i), 60, line));
        }
        return all;
    }();
    return text;
}

double seconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t countLines(std::string_view text) {
    std::size_t lines = 0;
    while (const void* found = std::memchr(text.data(), '\n', text.size())) {
        ++lines;
        text.remove_prefix(static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) +
                           1);
    }
    return lines;
}

// The same fields through snprintf, the local time's parts taken as already known.
std::size_t printfLine(const RecordedReading& reading, std::span<char, 64> line) {
    const std::int64_t ms = reading.utcMilliseconds % 1000;
    const auto charge = std::llround(reading.chargeSeconds * 1000);
    return static_cast<std::size_t>(std::snprintf(
        line.data(), line.size(), "2026-12-08T11:30:05.%03d+01:00,%lld.%03d,%d,1.%04d\r\n",
        static_cast<int>(ms), static_cast<long long>(charge / 1000),
        static_cast<int>(charge % 1000), reading.count, static_cast<int>(reading.count % 10000)));
}

void BM_FormatLine(benchmark::State& state) {
    std::array<char, kRecordingLineCapacity> line{};
    constexpr int kBatch = 10000;
    double total = 0, floor = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        const std::size_t before = allocationCount();
        total += seconds([&] {
            for (int i = 0; i < kBatch; ++i) {
                benchmark::DoNotOptimize(formatRecordingLine(readingAt(i), 60, line));
            }
        });
        allocations += allocationCount() - before;
        floor += seconds([&] {
            for (int i = 0; i < kBatch; ++i) {
                benchmark::DoNotOptimize(printfLine(readingAt(i), line));
            }
        });
    }
    const double lines = static_cast<double>(state.iterations()) * kBatch;
    state.counters["ns_per_line"] = total / lines * 1e9;
    state.counters["floor_ns_per_line"] = floor / lines * 1e9;
    state.counters["x_floor"] = total / floor;
    state.counters["allocs_per_line"] = static_cast<double>(allocations) / lines;
}
BENCHMARK(BM_FormatLine)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_ReadRecording(benchmark::State& state) {
    const std::string_view text = recording();
    double total = 0, floor = 0;
    for (auto _ : state) {
        total += seconds([&] {
            RecordingReader reader(static_cast<std::size_t>(SampleStore::kCapacity));
            for (std::size_t at = 0; at < text.size(); at += kChunk) {
                reader.feed(text.substr(at, kChunk));
            }
            reader.finish();
            if (reader.soundLines() != kLines || reader.leftOut().total() != 0) {
                state.SkipWithError("the recording did not read back whole");
            }
            benchmark::DoNotOptimize(reader.takeReadings().data());
        });
        floor += seconds([&] { benchmark::DoNotOptimize(countLines(text)); });
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["read_ms"] = total / runs * 1e3;
    state.counters["lines_per_s"] = static_cast<double>(kLines) * runs / total;
    state.counters["floor_ms"] = floor / runs * 1e3;
    state.counters["x_floor"] = total / floor;
    state.counters["megabytes"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_ReadRecording)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
