// The real program as a person runs it, on an X server of its own: start-up to the first
// shown window, and CPU, wakeups and memory at rest and while a device sends readings onto a
// full chart. Each
// figure beside a reference measured in the same run; printed as one table together with
// the figures of the library benchmarks, read from their JSON output.
//
//   program_bench [--seconds S] [--starts N] [RESULTS_FOLDER]
//
// RESULTS_FOLDER holds reception.json, chart.json, logfile.json, recording.json and
// charge.json, written by the other benchmarks with --benchmark_out; figures whose file is
// missing are left out.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "benchreport.h"
#include "mapwatch.h"
#include "platform/posix/configdir.h"
#include "realprogram.h"
#include "support/files.h"
#include "testenvironment.h"

namespace {

using namespace tremolex;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kCapacity = 100000;
const std::string kTitle = "Bramwick Tremolex";

struct Options {
    double phaseSeconds = 60;
    int starts = 7;
    std::filesystem::path results;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The counters of one benchmark in a Google Benchmark JSON file; empty when not there.
QJsonObject benchmarkEntry(const std::filesystem::path& file, const QString& name) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) {
        return {};
    }
    for (const QJsonValue entry : QJsonDocument::fromJson(in.readAll())["benchmarks"].toArray()) {
        if (entry["name"].toString() == name) {
            return entry.toObject();
        }
    }
    return {};
}

void addLibraryFigures(BenchReport& report, const std::filesystem::path& results) {
    for (const int chunk : {8, 64, 512, 4096}) {
        const QJsonObject r = benchmarkEntry(results / "reception.json",
                                             QStringLiteral("BM_Reception/%1").arg(chunk));
        if (r.isEmpty()) {
            continue;  // not run
        }
        const double lines = r["lines_per_s"].toDouble(-1), ratio = r["x_floor"].toDouble(-1);
        report.add("reception, " + std::to_string(chunk) + "-byte chunks", lines / 1e6, "M lines/s",
                   "memchr for line feeds over the same bytes", lines * ratio / 1e6, ratio);
    }
    for (const char* size : {"458/372", "1900/1000"}) {
        const QJsonObject c =
            benchmarkEntry(results / "chart.json", QStringLiteral("BM_DrawChart/%1").arg(size));
        std::string figure = "drawchart, 100000 samples, ";
        figure += size;
        std::replace(figure.begin(), figure.end(), '/', 'x');
        report.add(figure, c["redraw_ms"].toDouble(-1), "ms",
                   "the same pixels written at known places", c["floor_ms"].toDouble(-1),
                   c["x_floor"].toDouble(-1), 3);
    }
    for (const int shown : {10, 1000, 50000, 100000}) {
        const QJsonObject z =
            benchmarkEntry(results / "chart.json", QStringLiteral("BM_DrawZoomed/%1").arg(shown));
        report.addCost("zoomed redraw, " + std::to_string(shown) + " of 100000 shown, 458x372",
                       z["redraw_ms"].toDouble(-1), "ms", "the whole chart's redraw",
                       z["whole_ms"].toDouble(-1), 3);
    }
    const QJsonObject save = benchmarkEntry(results / "logfile.json", "BM_Save/iterations:30");
    report.add("save, 100000 samples", save["save_ms"].toDouble(-1), "ms",
               "fwrite of the same bytes", save["floor_ms"].toDouble(-1),
               save["x_floor"].toDouble(-1), 2);
    const QJsonObject load = benchmarkEntry(results / "logfile.json", "BM_Load/iterations:100");
    report.add("load, 100000 samples", load["load_ms"].toDouble(-1), "ms",
               "fread of the same bytes", load["floor_ms"].toDouble(-1),
               load["x_floor"].toDouble(-1), 2);
    const QJsonObject format =
        benchmarkEntry(results / "recording.json", "BM_FormatLine/iterations:100");
    report.add("recording, one line formatted", format["ns_per_line"].toDouble(-1), "ns",
               "snprintf of the same fields", format["floor_ns_per_line"].toDouble(-1),
               format["x_floor"].toDouble(-1), 0);
    const QJsonObject reading =
        benchmarkEntry(results / "recording.json", "BM_ReadRecording/iterations:5");
    report.add("recording of 2.6 M lines read, 64 KiB chunks", reading["read_ms"].toDouble(-1),
               "ms", "memchr for line feeds over the same bytes", reading["floor_ms"].toDouble(-1),
               reading["x_floor"].toDouble(-1), 0);
    for (const int rate : {10, 400}) {
        const auto second = [&](int recording) {
            return benchmarkEntry(
                results / "recording.json",
                QStringLiteral("BM_RecordingSecond/per_s:%1/recording:%2/iterations:2000")
                    .arg(rate)
                    .arg(recording));
        };
        const QJsonObject with = second(1), without = second(0);
        const auto bare = [&](int perSecond) {
            return benchmarkEntry(
                results / "recording.json",
                QStringLiteral("BM_BareSync/per_s:%1/iterations:500").arg(perSecond));
        };
        const std::string figure = "recording, " + std::to_string(rate) + " readings/s, ";
        report.addCost(figure + "CPU per second", with["cpu_us_per_s"].toDouble(-1), "us",
                       "the receive path without it", without["cpu_us_per_s"].toDouble(-1), 0);
        // Its thread's wakeup at each tick, and its sleeps on the disk inside the sync, as
        // many as a bare fdatasync's.
        report.add(figure + "wakeups per second", with["wakeups_per_s"].toDouble(-1), "/s",
                   "the receive path without it", without["wakeups_per_s"].toDouble(-1), -1);
        report.add(figure + "bare write + fdatasync, wakeups",
                   bare(rate)["wakeups_per_sync"].toDouble(-1), "/s", "", -1, -1);
        report.add(figure + "tick: held the window's thread, mean", with["tick_ms"].toDouble(-1),
                   "ms", "longest", with["longest_tick_ms"].toDouble(-1), -1, 3);
    }
    const QJsonObject hours =
        benchmarkEntry(results / "recording.json", "BM_Recording72Hours/iterations:1");
    const double lines = hours["lines"].toDouble(-1);
    report.add("recording of 72 h at 10 readings/s, lines read back", lines, "",
               "readings sent, and the header", 72.0 * 3600 * 10 + 1,
               lines >= 0 ? lines / (72.0 * 3600 * 10 + 1) : -1, 0);
    report.addCost("recording of 72 h, peak memory after the store filled",
                   hours["peak_after_full_mib"].toDouble(-1), "MiB", "until the store filled",
                   hours["peak_until_full_mib"].toDouble(-1), 2);
    report.add("recording of 72 h, pushed through with a tick each 10 readings",
               hours["record_s"].toDouble(-1), "s", "", -1, -1, 2);
    const QJsonObject charge = benchmarkEntry(results / "charge.json", "BM_ChargeDetector");
    report.add("charge detector, 400 readings/s, per reading",
               charge["ns_per_reading"].toDouble(-1), "ns",
               "summing the same readings into 5-s bins",
               charge["floor_ns_per_reading"].toDouble(-1), charge["x_floor"].toDouble(-1), 2);
    report.add("charge detector, allocations per reading",
               charge["allocs_per_reading"].toDouble(-1), "", "", -1, -1, 6);
}

// Voluntary context switches of all threads of `pid`: each is a thread going to sleep to
// wait for something, so they count how often the process was woken.
long wakeups(pid_t pid) {
    long total = 0;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        const std::string status = contentOf(task.path() / "status");
        const auto at = status.find("\nvoluntary_ctxt_switches:");
        total += at == std::string::npos ? 0 : std::atol(status.c_str() + at + 25);
    }
    return total;
}

struct StartUp {
    double programMs = -1;  // -1: not measured
    double emptyMs = -1;
    long emptyPeakKiB = -1;
    double emptyWakeupsPerSecond = -1;  // at rest, once drawn
};

// From exec to the window being mapped, as the X server reports it; the first start of
// each only warms the caches.
StartUp measureStartUp(int runs) {
    const Desktop desktop;
    std::filesystem::remove_all(userConfigDirectory());
    mapAllPortsAway();
    std::vector<double> program, empty;
    StartUp result;
    for (int run = 0; run <= runs; ++run) {
        for (const bool isProgram : {true, false}) {
            MapWatch watch(desktop.display());
            const auto started = Clock::now();
            const ChildProcess process(
                desktop.command(isProgram ? TREMOLEX_BINARY : TREMOLEX_EMPTY_WINDOW), false);
            const auto mapped = watch.next(30s);
            if (!mapped) {
                std::cerr << "no window mapped\n";
                continue;
            }
            const double ms = std::chrono::duration<double, std::milli>(*mapped - started).count();
            if (run > 0) {
                (isProgram ? program : empty).push_back(ms);
            }
            if (!isProgram && run == runs) {
                std::this_thread::sleep_for(1s);  // drawn and settled
                result.emptyPeakKiB = usage(process.pid()).peakKiB;
                const long woken = wakeups(process.pid());
                std::this_thread::sleep_for(5s);
                result.emptyWakeupsPerSecond =
                    static_cast<double>(wakeups(process.pid()) - woken) / 5;
            }
        }
    }
    result.programMs = median(program);
    result.emptyMs = median(empty);
    return result;
}

// A NiMH charge in counts, with noise.
std::vector<int> chargeCounts(int n) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::vector<int> counts;
    for (int i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / n;
        counts.push_back(static_cast<int>(
            std::lround((1.25 + 0.2 * std::sqrt(x)) / 2.5 * 1023 + noise(random))));
    }
    return counts;
}

std::string lines(const std::vector<int>& counts) {
    std::string text;
    for (const int count : counts) {
        text += std::to_string(count);
        text += '\n';
    }
    return text;
}

// CPU seconds all threads of `pid` have run so far, to the nanosecond: a program this idle
// runs too little for the clock ticks of /proc/PID/stat.
double cpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        total += std::atof(contentOf(task.path() / "schedstat").c_str()) / 1e9;
    }
    return total;
}

// What the program used during one phase; -1: not measured.
struct Phase {
    double cpuPercent = -1;
    double wakeupsPerSecond = -1;
    long peakKiB = -1;  // the highest resident memory during the phase
};

// Sends readings at `perSecond` (none at 0) for `seconds`; what the program used meanwhile,
// not measured when it ended before the phase did (a dead program uses no CPU and wakes
// never, which would read as the best figures of all).
Phase whileSending(RealProgram& real, ChildProcess& program, double perSecond, double seconds,
                   const std::vector<int>& counts) {
    // "5" starts the peak afresh from the memory in use now.
    std::ofstream("/proc/" + std::to_string(program.pid()) + "/clear_refs") << "5";
    const double cpuBefore = cpuSeconds(program.pid());
    const long wokenBefore = wakeups(program.pid());
    const auto start = Clock::now();
    std::string pending;
    const auto after = [&](double s) {
        return start +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    for (std::size_t i = 0;; ++i) {
        const double at = perSecond > 0 ? static_cast<double>(i) / perSecond : seconds;
        if (at >= seconds) {
            std::this_thread::sleep_until(after(seconds));
            break;
        }
        std::this_thread::sleep_until(after(at));
        pending += std::to_string(counts[i % counts.size()]);
        pending += '\n';
        pending.erase(0, real.device.write(pending));
    }
    const double took = secondsSince(start);
    if (const auto status = program.wait(0ms)) {
        std::cerr << "the program ended during the phase, with status " << *status << "\n";
        return {};
    }
    return {(cpuSeconds(program.pid()) - cpuBefore) / took * 100,
            static_cast<double>(wakeups(program.pid()) - wokenBefore) / took,
            usage(program.pid()).peakKiB};
}

struct Load {
    Phase idle;         // the port open and silent, an empty store
    Phase slow;         // 10 readings a second onto a full store
    Phase fast;         // 400 readings a second
    long peakKiB = -1;  // over the fill and both phases
    double fillSeconds = -1;
};

bool shownWithPort(RealProgram& real, const std::string& window) {
    return !window.empty() &&
           eventually([&] { return real.statusPixels(window, RealProgram::kLightGreen) > 500; });
}

Load measureLoad(const Options& options) {
    RealProgram real;
    Load load;
    {
        std::cerr << "program idle with an empty store\n";
        const auto program = real.start();
        if (!shownWithPort(real, real.windowNamed(kTitle))) {
            std::cerr << "the program did not come up\n";
            return load;
        }
        std::this_thread::sleep_for(2s);
        load.idle = whileSending(real, *program, 0, std::min(options.phaseSeconds, 20.0), {});
    }
    const auto program = real.start();
    const std::string window = real.windowNamed(kTitle);
    if (!shownWithPort(real, window)) {
        std::cerr << "the program did not come up\n";
        return load;
    }
    std::cerr << "filling the store\n";
    // One reading more than fits: the store-full notice shows once one is turned away.
    const std::vector<int> counts = chargeCounts(kCapacity + 1);
    const std::string fill = lines(counts);
    const auto start = Clock::now();
    for (std::size_t sent = 0; sent < fill.size();) {
        const std::size_t taken = real.device.write(std::string_view(fill).substr(sent));
        sent += taken;
        if (taken == 0) {
            std::this_thread::sleep_for(1ms);
        }
    }
    if (!eventually([&] { return real.storeFullShown(window); }, 60s)) {
        std::cerr << "the store did not fill\n";
        return load;
    }
    load.fillSeconds = secondsSince(start);
    load.peakKiB = usage(program->pid()).peakKiB;  // the phases start their peaks afresh
    // The latest readings again: the voltage window stays where the fill left it.
    const std::vector<int> tail(counts.end() - 1000, counts.end());
    std::cerr << "10 readings a second\n";
    load.slow = whileSending(real, *program, 10, options.phaseSeconds, tail);
    std::cerr << "400 readings a second\n";
    load.fast = whileSending(real, *program, 400, options.phaseSeconds, tail);
    load.peakKiB = std::max({load.peakKiB, load.slow.peakKiB, load.fast.peakKiB});
    return load;
}

void addProgramFigures(BenchReport& report, const Options& options) {
    std::cerr << "start-up, " << options.starts << " runs each\n";
    const StartUp startUp = measureStartUp(options.starts);
    const Load load = measureLoad(options);

    report.addCost("start-up to window mapped (median of " + std::to_string(options.starts) + ")",
                   startUp.programMs, "ms", "empty Qt Widgets window 533x533, same way",
                   startUp.emptyMs);
    // The floor of the program's own work: one redraw of the full chart a second at the
    // default window's size, and the receive path for the lines.
    const auto results = options.results;
    const double redrawMs =
        benchmarkEntry(results / "chart.json", "BM_DrawChart/458/372")["redraw_ms"].toDouble(-1);
    const double linesPerSecond =
        benchmarkEntry(results / "reception.json", "BM_Reception/64")["lines_per_s"].toDouble(-1);
    const auto duration = [&](double seconds) {
        return std::to_string(static_cast<int>(seconds)) + " s";
    };
    const std::string rest = "at rest, port open and silent, empty store, " +
                             duration(std::min(options.phaseSeconds, 20.0));
    for (const auto& [rate, phase] : {std::pair{10, load.slow}, std::pair{400, load.fast}}) {
        const std::string figure = "CPU, full chart, " + std::to_string(rate) + " readings/s for " +
                                   duration(options.phaseSeconds);
        const double floor = redrawMs > 0 && linesPerSecond > 0
                                 ? redrawMs / 1000 * 100 + rate / linesPerSecond * 100
                                 : -1;
        report.addCost(figure, phase.cpuPercent, "%", "drawchart 458x372 once a second + reception",
                       floor, 2);
        report.addCost(figure, phase.cpuPercent, "%", "the program " + rest, load.idle.cpuPercent,
                       2);
    }
    report.add("CPU, " + rest, load.idle.cpuPercent, "%", "", -1, -1, 2);
    // A wakeup is a voluntary context switch of any of the program's threads.
    for (const auto& [rate, phase] : {std::pair{10, load.slow}, std::pair{400, load.fast}}) {
        report.addCost("wakeups, full chart, " + std::to_string(rate) + " readings/s (goal 25)",
                       phase.wakeupsPerSecond, "/s", "the program " + rest,
                       load.idle.wakeupsPerSecond);
    }
    report.addCost("wakeups, " + rest, load.idle.wakeupsPerSecond, "/s",
                   "empty Qt Widgets window at rest", startUp.emptyWakeupsPerSecond);
    report.addCost("peak memory, " + rest, load.idle.peakKiB / 1024.0, "MiB",
                   "peak memory of the empty Qt Widgets window", startUp.emptyPeakKiB / 1024.0);
    for (const auto& [rate, phase] : {std::pair{10, load.slow}, std::pair{400, load.fast}}) {
        report.addCost("peak memory, full store, " + std::to_string(rate) + " readings/s",
                       phase.peakKiB / 1024.0, "MiB", "peak memory of the empty Qt Widgets window",
                       startUp.emptyPeakKiB / 1024.0);
    }
    report.addCost("peak memory, full store, fill and both phases", load.peakKiB / 1024.0, "MiB",
                   "peak memory of the empty Qt Widgets window", startUp.emptyPeakKiB / 1024.0);
    report.add("fill of 100000 readings at full speed, until shown", load.fillSeconds, "s", "", -1,
               -1, 2);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            options.phaseSeconds = std::stod(argv[++i]);
        } else if (arg == "--starts" && i + 1 < argc) {
            options.starts = std::stoi(argv[++i]);
        } else if (arg.rfind("--", 0) == 0) {
            std::cerr << "usage: program_bench [--seconds S] [--starts N] [RESULTS_FOLDER]\n";
            return 2;
        } else {
            options.results = arg;
        }
    }
    const std::string root = isolateUserFolders();  // never the user's settings
    BenchReport report;
    addLibraryFigures(report, options.results);
    addProgramFigures(report, options);
    report.print(std::cout);
    std::filesystem::remove_all(root);
    return 0;
}
