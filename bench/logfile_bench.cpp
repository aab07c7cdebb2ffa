// Saving and loading a full store of 100000 readings, each against a floor measured in
// the same run: writing or reading the same bytes with plain buffered I/O.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "logfile/logformat.h"
#include "platform/files.h"
#include "state/samplestore.h"

namespace {

using namespace tremolex;
namespace fs = std::filesystem;

std::vector<std::int16_t> chargeCounts() {
    std::vector<std::int16_t> counts;
    for (std::int32_t i = 0; i < SampleStore::kCapacity; ++i) {
        const double x = static_cast<double>(i) / SampleStore::kCapacity;
        counts.push_back(static_cast<std::int16_t>((1.25 + 0.2 * std::sqrt(x)) / 2.5 * 1023));
    }
    return counts;
}

double seconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void plainWrite(const fs::path& file, const std::string& bytes) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

std::size_t plainRead(const fs::path& file) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    static std::vector<char> buffer(1 << 20);
    std::size_t total = 0;
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in)) {
        total += got;
    }
    std::fclose(in);
    return total;
}

// Save: the text of the store, written to a temporary file, flushed to disk and renamed
// over the target.
void BM_Save(benchmark::State& state) {
    const std::vector<std::int16_t> counts = chargeCounts();
    const fs::path file = fs::temp_directory_path() / "tremolex-bench-save.log";
    const std::string bytes = formatLog(counts);
    double total = 0, floor = 0;
    for (auto _ : state) {
        total += seconds(
            [&] { benchmark::DoNotOptimize(writeFileAtomically(file, formatLog(counts))); });
        floor += seconds([&] { plainWrite(file, bytes); });
    }
    state.counters["save_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
    state.counters["floor_ms"] = floor / static_cast<double>(state.iterations()) * 1e3;
    state.counters["x_floor"] = total / floor;
    fs::remove(file);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(30);

// Load: the file read in pieces and turned into counts.
void BM_Load(benchmark::State& state) {
    const fs::path file = fs::temp_directory_path() / "tremolex-bench-load.log";
    writeFileAtomically(file, formatLog(chargeCounts()));
    double total = 0, floor = 0;
    for (auto _ : state) {
        total += seconds([&] {
            LogReader reader(static_cast<std::size_t>(SampleStore::kCapacity));
            readFileChunks(file, [&](std::string_view chunk) { reader.feed(chunk); });
            reader.finish();
            benchmark::DoNotOptimize(reader.counts().data());
        });
        floor += seconds([&] { benchmark::DoNotOptimize(plainRead(file)); });
    }
    state.counters["load_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
    state.counters["floor_ms"] = floor / static_cast<double>(state.iterations()) * 1e3;
    state.counters["x_floor"] = total / floor;
    fs::remove(file);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
