// The recording file: writing one line (as for every reading, up to 400 a second) against
// snprintf of the same fields; what the recording adds to one second of readings through the
// receive path, at 10 and 400 readings a second, the window's tick writing and syncing them
// on the disk; 72 hours at 10 readings a second (2.6 million lines) recorded into a real file
// with the memory it takes, and read back; and reading such a recording back in 64 KiB chunks
// against finding its line feeds with memchr.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "allocationcounter.h"
#include "benchstubs.h"
#include "platform/appendfile.h"
#include "platform/posix/posixclock.h"
#include "recording/recorder.h"
#include "recording/recordingformat.h"
#include "recording/recordingreader.h"
#include "serial/samplereception.h"
#include "state/samplestore.h"

namespace {

using namespace tremolex;
using tremolex::bench::countLines;

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

namespace fs = std::filesystem;

class SteppedClock final : public Clock {
public:
    void setReading(std::int64_t reading) { m_reading = reading; }
    double steadySeconds() override { return 1000 + static_cast<double>(m_reading) / 10; }
    std::int64_t utcMilliseconds() override { return kStartUtc + m_reading * 100; }
    std::int32_t utcOffsetMinutes(std::int64_t) override { return 60; }

private:
    std::int64_t m_reading = 0;
};

// A fresh folder in `base`, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const fs::path& base) {
        std::string pattern = (base / "tremolex-recording-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }  // empty when it could not be made

private:
    fs::path m_path;
};

// The recorder as the window wires it, into `folder`.
struct RecordingSetup {
    RecordingSetup(const fs::path& folder, Clock& clock,
                   Recorder::DiskWork work = Recorder::DiskWork::Here)
        : recorder({*files, clock, notices, settings}, folder, work) {}

    std::unique_ptr<AppendFiles> files = diskAppendFiles();
    bench::NullLabel label;
    NoticeStrip notices{label};
    bench::NullKeyStore keys;
    SettingsStore settings{keys};
    Recorder recorder;
};

// Of all the process's threads: the recorder's disk work has a thread of its own.
std::int64_t cpuNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// Each voluntary context switch is a thread going to sleep (on the disk, or for work) and
// being woken again: what program_bench counts as a wakeup.
long voluntarySwitches() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// A line of /proc/self/status, in KiB; -1 when not there.
long statusKiB(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':') {
            return std::atol(line.c_str() + field.size() + 1);
        }
    }
    return -1;
}

// Starts the peak resident memory (VmHWM) afresh from what is resident now.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// One count line as the device sends it.
std::string_view deviceLine(std::int16_t count, std::array<char, 8>& text) {
    const auto end = std::to_chars(text.data(), text.data() + text.size() - 1, count).ptr;
    *end = '\n';
    return {text.data(), static_cast<std::size_t>(end + 1 - text.data())};
}

double seconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

// One second of readings through the receive path onto a full store (as in the program's
// long captures), with the recording and without: the lines come as the serial reader hands
// them over (each on its own at 10 a second, in 20 batches at 400), and the window's
// 1-second tick then hands them to the recorder's thread, which writes and syncs them on the
// real disk (the temporary folder's). CPU and wakeups of the process per simulated second;
// the tick's own wall time is how long it holds the window's thread.
void BM_RecordingSecond(benchmark::State& state) {
    const auto perSecond = static_cast<int>(state.range(0));
    const bool recording = state.range(1) != 0;
    const int batches = std::min(perSecond, 20);
    std::vector<std::string> second(static_cast<std::size_t>(batches));
    std::array<char, 8> text{};
    for (int i = 0; i < perSecond; ++i) {
        second[static_cast<std::size_t>(i % batches)] += deviceLine(readingAt(i).count, text);
    }

    RxBuffer rxbuffer;
    SampleStore store;
    ChargeTimes times;
    PosixClock clock;
    SampleReception reception(rxbuffer, store, times, clock);
    while (!store.full()) {
        reception.receive(second.front());
    }
    const TempFolder folder(fs::temp_directory_path());
    std::optional<RecordingSetup> setup;
    if (recording) {
        setup.emplace(folder.path() / "recordings", clock, Recorder::DiskWork::OnAThreadOfItsOwn);
        reception.setObservers({nullptr, &setup->recorder});
    }
    const auto tick = [&] {
        if (setup) {
            setup->recorder.Timer1_Timer();
        }
    };
    // A second of the program has the disk's work done before the next tick.
    const auto settle = [&] {
        if (setup) {
            setup->recorder.settle();
        }
    };
    for (const std::string& batch : second) {
        reception.receive(batch);  // the first second makes the file, not measured
    }
    tick();
    settle();

    double tickSeconds = 0, longestTick = 0;
    const std::int64_t cpuBefore = cpuNanoseconds();
    const long switchesBefore = voluntarySwitches();
    for (auto _ : state) {
        for (const std::string& batch : second) {
            reception.receive(batch);
        }
        const double took = seconds(tick);
        settle();
        tickSeconds += took;
        longestTick = std::max(longestTick, took);
    }
    const auto ticks = static_cast<double>(state.iterations());
    const double cpu = static_cast<double>(cpuNanoseconds() - cpuBefore) / ticks;
    const long switches = voluntarySwitches() - switchesBefore;
    if (setup && (!setup->recorder.working() || setup->recorder.file().empty())) {
        state.SkipWithError("the recording did not reach the disk");
    }
    state.counters["cpu_us_per_s"] = cpu / 1e3;
    state.counters["wakeups_per_s"] = static_cast<double>(switches) / ticks;
    state.counters["tick_ms"] = tickSeconds / ticks * 1e3;
    state.counters["longest_tick_ms"] = longestTick * 1e3;
}
BENCHMARK(BM_RecordingSecond)
    ->ArgsProduct({{10, 400}, {0, 1}})
    ->ArgNames({"per_s", "recording"})
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

// The floor of what a recording durable each second costs in wakeups: a bare write of a
// second's lines and an fdatasync, by hand, in the same folder; its sleeps on the disk.
void BM_BareSync(benchmark::State& state) {
    const TempFolder folder(fs::temp_directory_path());
    const int file = ::open((folder.path() / "bare").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const std::string lines(static_cast<std::size_t>(state.range(0)) * 48, '1');
    double syncSeconds = 0;
    const long switchesBefore = voluntarySwitches();
    for (auto _ : state) {
        syncSeconds += seconds([&] {
            if (::write(file, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size()) ||
                ::fdatasync(file) != 0) {
                state.SkipWithError("the disk failed");
            }
        });
    }
    const auto syncs = static_cast<double>(state.iterations());
    state.counters["wakeups_per_sync"] =
        static_cast<double>(voluntarySwitches() - switchesBefore) / syncs;
    state.counters["sync_ms"] = syncSeconds / syncs * 1e3;
    ::close(file);
}
BENCHMARK(BM_BareSync)
    ->Arg(10)
    ->Arg(400)
    ->ArgName("per_s")
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

// Where the 72 hours are written: TMPDIR when set, else the RAM-backed /dev/shm, where a
// sync is a few microseconds: on a disk the 259200 ticks' syncs alone take minutes (about
// 0.5 ms each), and what a sync costs there is BM_RecordingSecond's figure.
fs::path longRecordingBase() {
    std::error_code error;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error)) {
        return "/dev/shm";
    }
    return fs::temp_directory_path();
}

// 72 hours at 10 readings a second through the receive path and the recorder, a tick every
// 10 readings, into a real file; the store fills at 100000 and turns the rest away, and the
// file must still hold every one. Memory is the peak resident set until the store is full
// and after it, apart: it must not grow with the file. Then the file is read back.
void BM_Recording72Hours(benchmark::State& state) {
    for (auto _ : state) {
        const TempFolder folder(longRecordingBase());
        RxBuffer rxbuffer;
        SampleStore store;
        ChargeTimes times;
        SteppedClock clock;
        SampleReception reception(rxbuffer, store, times, clock);
        RecordingSetup setup(folder.path() / "recordings", clock);
        reception.setObservers({nullptr, &setup.recorder});

        resetPeakMemory();
        const long startKiB = statusKiB("VmRSS");
        long untilFullKiB = -1;
        std::array<char, 8> text{};
        const double recordSeconds = seconds([&] {
            for (std::int64_t i = 0; i < kLines; ++i) {
                clock.setReading(i);
                reception.receive(deviceLine(readingAt(i).count, text));
                if (i % 10 == 9) {
                    setup.recorder.Timer1_Timer();
                }
                if (i + 1 == SampleStore::kCapacity) {
                    untilFullKiB = statusKiB("VmHWM");
                    resetPeakMemory();
                }
            }
        });
        const long afterFullKiB = statusKiB("VmHWM");
        const fs::path file = setup.recorder.file();
        const bool working = setup.recorder.working();
        setup.recorder.end();

        RecordingReader reader(static_cast<std::size_t>(SampleStore::kCapacity));
        std::error_code error;
        const double readSeconds = seconds([&] {
            error = setup.files->read(file, [&](std::string_view chunk) { reader.feed(chunk); });
            reader.finish();
        });
        const RecordedReading expectedLast{readingAt(kLines - 1).count,
                                           kStartUtc + (kLines - 1) * 100,
                                           static_cast<double>(kLines - 1) / 10 + 0.1};
        if (!working || error || !reader.hasHeader() || reader.soundLines() != kLines ||
            reader.leftOut().total() != 0 || store.rejected() != kLines - SampleStore::kCapacity ||
            reader.lastReading() != expectedLast) {
            state.SkipWithError("the recording on disk is not whole");
        }
        state.counters["lines"] = static_cast<double>(reader.soundLines()) + 1;  // the header too
        state.counters["left_out"] = static_cast<double>(reader.leftOut().total());
        state.counters["megabytes"] = static_cast<double>(fs::file_size(file, error)) / 1e6;
        state.counters["record_s"] = recordSeconds;
        state.counters["read_s"] = readSeconds;
        state.counters["start_rss_mib"] = static_cast<double>(startKiB) / 1024;
        state.counters["peak_until_full_mib"] = static_cast<double>(untilFullKiB) / 1024;
        state.counters["peak_after_full_mib"] = static_cast<double>(afterFullKiB) / 1024;
    }
}
BENCHMARK(BM_Recording72Hours)->Iterations(1)->Unit(benchmark::kSecond);

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
