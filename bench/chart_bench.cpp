// A full chart redraw of a full store on the real Qt surface, against a floor measured
// in the same run: writing the same number of pixels, at positions worked out
// beforehand, into the same image. Also counts allocations per redraw.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "allocationcounter.h"
#include "benchstubs.h"
#include "chart/chart.h"
#include "platform/qt/qtsurface.h"

namespace {

using namespace tremolex;
using tremolex::bench::NullDialogs;
using tremolex::bench::NullKeyStore;
using tremolex::bench::NullLabel;

class RecordingSurface final : public Surface {
public:
    void setScaleLeft(float) override {}
    void setScaleTop(float) override {}
    void setScaleWidth(float) override {}
    void setScaleHeight(float) override {}
    void Cls() override { points.clear(); }
    void Line(float, float, float, float, Color) override {}
    void PSet(float x, float y, Color) override { points.emplace_back(x, y); }

    std::vector<std::pair<float, float>> points;
};

// A whole NiMH charge in counts, with noise: 100000 readings.
void fillCharge(SampleStore& store) {
    std::srand(1);
    for (std::int32_t i = 0; i < SampleStore::kCapacity; ++i) {
        const double x = static_cast<double>(i) / SampleStore::kCapacity;
        const double volts =
            1.25 + 0.2 * std::sqrt(x) + 0.05 * std::pow(x, 8) - 0.02 * std::pow(x, 30);
        store.append(static_cast<std::int16_t>(volts / 2.5 * 1023 + std::rand() % 5 - 2));
    }
}

double secondsOf(auto&& work, int runs) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// A full store and what a chart needs beside its surface.
struct ChartParts {
    ChartParts() { fillCharge(samples); }

    Chart chartOn(Surface& plot, std::array<Label*, 11> under = {}) {
        return Chart(
            {window, samples, times, fullscale, title, recorded},
            {plot,
             {&labels[0], &labels[1], &labels[2], &labels[3], &labels[4], &labels[5], &labels[6]},
             labels[7],
             labels[8],
             labels[9],
             under},
            dialogs, settings, ".");
    }

    VoltageWindow window{1.6f, 1.0f, 0.6f};
    SampleStore samples;
    ChargeTimes times{0, 36000};
    const std::int32_t fullscale = 1023;
    const std::string title = "Tremolex";
    const bool recorded = true;
    std::array<NullLabel, 10> labels;
    NullDialogs dialogs;
    NullKeyStore keys;
    const SettingsStore settings{keys};
};

void BM_DrawChart(benchmark::State& state) {
    QtSurface surface;
    surface.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    surface.show();
    surface.setScaleWidth(1003);
    surface.setScaleHeight(-1003);
    surface.setScaleLeft(-1);
    surface.setScaleTop(1000);

    ChartParts parts;
    const auto chartOn = [&](Surface& plot) { return parts.chartOn(plot); };
    Chart chart = chartOn(surface);
    chart.drawchart();  // the window settles on the latest reading

    // The floor: the pixel of every sample, in plot order, worked out beforehand.
    RecordingSurface recorder;
    chartOn(recorder).drawchart();
    const QImage& picture = surface.image();
    const double xScale = picture.width() / 1003.0, yScale = picture.height() / -1003.0;
    const qsizetype stride = picture.bytesPerLine() / 4;
    std::vector<qsizetype> writes;
    writes.reserve(recorder.points.size());
    for (const auto& [x, y] : recorder.points) {
        const double px = (x + 1) * xScale, py = (y - 1000) * yScale;
        if (px >= 0 && py >= 0 && px < picture.width() && py < picture.height()) {
            writes.push_back(static_cast<qsizetype>(py) * stride + static_cast<qsizetype>(px));
        }
    }
    QImage target(picture.size(), QImage::Format_RGB32);
    auto* out = reinterpret_cast<QRgb*>(target.bits());
    const double floor = secondsOf(
        [&] {
            for (const qsizetype at : writes) {
                out[at] = qRgb(192, 255, 192);
            }
            benchmark::ClobberMemory();
        },
        50);
    const double clear = secondsOf([&] { surface.Cls(); }, 50);

    double seconds = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        const std::size_t before = allocationCount();
        const auto start = std::chrono::steady_clock::now();
        chart.drawchart();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        allocations += allocationCount() - before;
    }
    const double perRedraw = seconds / static_cast<double>(state.iterations());
    state.counters["redraw_ms"] = perRedraw * 1e3;
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["cls_ms"] = clear * 1e3;
    state.counters["x_floor"] = perRedraw / floor;
    state.counters["floor_pixels"] = static_cast<double>(writes.size());
    state.counters["allocs_per_redraw"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
// The default window's chart (6875 by 5585 twips), and a large screen.
BENCHMARK(BM_DrawChart)->Args({458, 372})->Args({1900, 1000})->Unit(benchmark::kMillisecond);

// A zoomed redraw of a stretch of `range(0)` readings in the middle of a full store, both
// cursors on it, against the whole chart's redraw in the same run, on the default chart.
void BM_DrawZoomed(benchmark::State& state) {
    QtSurface surface;
    surface.resize(458, 372);
    surface.show();
    ChartParts parts;
    std::array<NullLabel, 11> underLabels;
    std::array<Label*, 11> under{};
    for (std::size_t j = 0; j < under.size(); ++j) {
        under[j] = &underLabels[j];
    }
    Chart chart = parts.chartOn(surface, under);
    chart.drawchart();
    const auto size = static_cast<double>(state.range(0));
    const double middle = 500 * SampleStore::kCapacity / 1000.0;
    const auto zoom = [&] {
        chart.view().zoomTo((middle - size / 2) / 100, (middle + size / 2 - 1) / 100,
                            SampleStore::kCapacity);
    };
    zoom();
    const ChartView::Stretch shown = chart.view().stretch(SampleStore::kCapacity);
    chart.cursors().place(shown.first + shown.size() / 4);
    chart.cursors().place(shown.last - shown.size() / 4);
    // Each zoomed redraw beside a whole one, so that both meet the same load.
    double seconds = 0, whole = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        chart.view().whole();
        whole += secondsOf([&] { chart.drawchart(); }, 1);
        zoom();
        const std::size_t before = allocationCount();
        seconds += secondsOf([&] { chart.drawchart(); }, 1);
        allocations += allocationCount() - before;
    }
    whole /= static_cast<double>(state.iterations());
    const double perRedraw = seconds / static_cast<double>(state.iterations());
    state.counters["readings_shown"] = shown.size();
    state.counters["redraw_ms"] = perRedraw * 1e3;
    state.counters["whole_ms"] = whole * 1e3;
    state.counters["x_whole"] = perRedraw / whole;
    state.counters["allocs_per_redraw"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrawZoomed)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
