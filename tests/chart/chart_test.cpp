#include "chart/chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "chart/captions.h"
#include "chart/chartinput.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakesurface.h"
#include "fakes/fakewidgets.h"
#include "state/countvolts.h"

namespace tremolex {
namespace {

class ChartTest : public testing::Test {
protected:
    VoltageWindow window{1.6f, 1.0f, 0.6f};
    SampleStore samples;
    ChargeTimes times;
    std::int32_t fullscale = 1023;
    std::string apptitle = "Tremolex";
    bool recorded = false;
    FakeSurface plot;
    std::array<FakeLabel, 7> labs;
    FakeLabel labvalue, labtime, labstorefull;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    SettingsStore settings{keys};
    std::array<Label*, 7> scaleLabels = {&labs[0], &labs[1], &labs[2], &labs[3],
                                         &labs[4], &labs[5], &labs[6]};
    Chart chart =
        Chart({window, samples, times, fullscale, apptitle, recorded},
              {plot, scaleLabels, labvalue, labtime, labstorefull, {}}, dialogs, settings, ".");
    ChartInput input{chart, samples, fullscale};

    // Readings 1..n, each a second after the one before, rising a count every ten.
    void fill(int n) {
        for (int i = 1; i <= n; ++i) {
            samples.append(static_cast<std::int16_t>(500 + i / 10), {1000LL * i, double(i)});
        }
    }
    void mouse(PointerEvent::Kind kind, float x, PointerEvent::Button button = {}) {
        // 458 pixels across, as the design's chart
        input.pointer({kind, button, x, 500, static_cast<int>((x + 1) * 458 / 1003), 200});
    }
};

// The chart's coordinate system from the start: x from -1 to 1002, y from 1000 down to -3.
// The stored width of the window (0.6 V when it is missing or no finite number) under the
// reset top, and the scale labels written from it.
TEST_F(ChartTest, StartsWithTheStoredWidthUnderTheResetTop) {
    EXPECT_EQ(plot.scale, (std::array<float, 4>{-1, 1000, 1003, -1003}));
    const std::tuple<const char*, float, const char*> cases[] = {
        {".3", 0.3f, "1.30V"}, {"1E+400", 0.6f, "1.00V"}, {nullptr, 0.6f, "1.00V"}};
    for (const auto& [stored, range, bottomLabel] : cases) {
        keys.data.clear();
        if (stored != nullptr) {
            settings.regwrite("Range", stored);
        }
        chart.start();
        EXPECT_EQ(window.scalerange, range);
        EXPECT_EQ(window.scaletop, Chart::kResetTop);
        EXPECT_EQ(window.scalebottom, static_cast<float>(1.6f - static_cast<double>(range)));
        EXPECT_EQ(labs[0].caption, bottomLabel);
        EXPECT_EQ(plot.lines.size(), 28u);  // the empty grid
    }
    EXPECT_EQ(settings.regread("Range", ""), "0.6");  // the default, stored when missing
}

// Eight steps up from 1.6, the ninth refused; then down until the bottom is at 0.1.
TEST_F(ChartTest, ShiftsStopAtTheirGuards) {
    for (int i = 0; i < 9; ++i) {
        chart.menuscaleup_Click();
    }
    EXPECT_EQ(window.scaletop, 2.3999996f);
    EXPECT_EQ(labs[6].caption, "2.40V");
    EXPECT_EQ(labs[6].captionsWritten, 8);  // none for the refused step
    for (int i = 0; i < 20; ++i) {
        chart.menuscaledown_Click();
    }
    EXPECT_NEAR(window.scalebottom, 0.1f, 1e-5);
    EXPECT_NEAR(window.scaletop, 0.7f, 1e-5);
}

// In turn from 0.6: the range each answer leaves, and whether it is refused as wrong. Every
// answer resets the window under 1.6 and its labels.
TEST_F(ChartTest, RangeDialogAnswers) {
    const std::tuple<std::string, float, bool> cases[] = {
        {"0.50", 0.6f, true}, {" 0.5", 0.6f, true}, {"0,5", 0.6f, true}, {"1", 0.6f, true},
        {"0.05", 0.6f, true}, {"", 0.6f, false},    {".5", 0.5f, false}, {"0.5", 0.5f, false}};
    std::size_t wrongs = 0;
    for (const auto& [answer, range, wrong] : cases) {
        window.scaletop = 2.0f;
        dialogs.answers = {answer};
        chart.menurange_Click();
        wrongs += wrong ? 1 : 0;
        EXPECT_EQ(dialogs.messages.size(), wrongs) << answer;
        EXPECT_EQ(window.scalerange, range) << answer;
        EXPECT_EQ(settings.regread("Range", "x"), range == 0.5f ? ".5" : ".6");
        EXPECT_EQ(window.scaletop, 1.6f);  // reset whatever the answer
        EXPECT_EQ(window.scalebottom, static_cast<float>(1.6f - static_cast<double>(range)));
    }
    EXPECT_EQ(dialogs.inputs[0].defaultText, "0.6");
    EXPECT_EQ(labs[0].caption, "1.10V");
}

// Each case: window width and bottom, latest count, window afterwards, label rewrites. The
// point stands where the window plus 0.05 V on either side fills the height.
TEST_F(ChartTest, WindowFollowsTheLatestReading) {
    const std::tuple<float, float, std::int16_t, float, float, int> cases[] = {
        {0.6f, 1.0f, 798, 1.4f, 2.0f, 1},  // 1.95 V
        {0.1f, 1.8f, 634, 1.5f, 1.6f, 2},  // 1.549 V: down to 1.4..1.5, then up
        {0.6f, 1.0f, 983, 1.0f, 1.6f, 0},  // 2.402 V: at the upper limit or beyond
        {0.6f, 1.0f, 81, 1.0f, 1.6f, 0},   // 0.198 V: at the lower limit or below
        {0.6f, 1.0f, 401, 0.8f, 1.4f, 1},  // 0.98 V
    };
    for (const auto& [range, bottom, count, newBottom, newTop, showscales] : cases) {
        samples.clear();
        window = {bottom + range, bottom, range};
        samples.append(count);
        const int before = labs[0].captionsWritten;
        chart.drawchart();
        EXPECT_NEAR(window.scalebottom, newBottom, 1e-6) << count;
        EXPECT_NEAR(window.scaletop, newTop, 1e-6) << count;
        EXPECT_EQ(labs[0].captionsWritten - before, showscales) << count;
    }
    EXPECT_NEAR(plot.points.at(0).y, 1000 / 0.7 * (countToVolts(401, 1023) - 0.75), 0.01);
}

// Up to 200 samples 5 apart, up to 400 2.5 apart, then squeezed into the width.
TEST_F(ChartTest, PointsSpreadAcrossTheWidth) {
    const std::pair<int, float> cases[] = {
        {1, 5}, {200, 1000}, {201, 502.5f}, {400, 1000}, {401, 1000}};
    for (const auto& [count, lastX] : cases) {
        samples.clear();
        while (samples.samplecount() < count) {
            samples.append(512);
        }
        chart.drawchart();
        ASSERT_EQ(plot.points.size(), static_cast<std::size_t>(count));
        EXPECT_FLOAT_EQ(plot.points.back().x, lastX) << count;
    }
}

// Counts from both ends of what a line can hold: every one has its height worked out, and
// no more than the table holds.
TEST_F(ChartTest, RedrawsTheWidestRangeOfCounts) {
    window = {2.4f, 1.8f, 0.6f};
    for (const std::int16_t count : {std::int16_t{-32768}, std::int16_t{32767}, std::int16_t{0}}) {
        samples.append(count);
    }
    chart.drawchart();
    ASSERT_EQ(plot.points.size(), 3u);
    EXPECT_LT(plot.points[0].y, plot.points[2].y);
    EXPECT_LT(plot.points[2].y, plot.points[1].y);
}

TEST_F(ChartTest, Captions) {
    EXPECT_EQ(scaleLabelText(1.0f, "."), "1.00V");
    EXPECT_EQ(scaleLabelText(1.5f, ","), "1,50V");
    EXPECT_EQ(scaleLabelText(-3.4f, "."), "-3.40V");
    EXPECT_EQ(scaleLabelText(0.125f, "."), "0.13V");  // halves away from zero
    EXPECT_EQ(scaleLabelText(-0.001f, "."), "0.00V");
    EXPECT_EQ(scaleLabelText(99.994f, "."), "99.99V");
    EXPECT_EQ(scaleLabelText(-99.995f, "."), "--V");  // rounds to 100: too wide to show
    const std::pair<float, const char*> elapsed[] = {{0, "0 min, 0 sec"},
                                                     {59.9f, "0 min, 59 sec"},
                                                     {125, "2 min, 5 sec"},
                                                     {-2, "0 min, 0 sec"},
                                                     {6e6f, "99999 min, 59 sec"}};
    for (const auto& [seconds, caption] : elapsed) {
        EXPECT_EQ(chargeTimeCaption({1000, 1000 + seconds}).view(), caption);
        EXPECT_EQ(stallCaption(seconds).view(), "No readings for " + std::string(caption));
    }
    EXPECT_EQ(endOfChargeCaption(1.4823f, 3792.9, ",").view(),
              "End of charge: peak 1,482V at 63 min, 12 sec");
}

// What the pointer and the cursors read: 11:30:05.6 local at UTC+1, 3725.9 s into the charge.
TEST_F(ChartTest, ReadoutCaptions) {
    const ReadingTime at{1'796'725'805'600, 3725.9}, later{at.utcMilliseconds, 4133.9};
    EXPECT_EQ(readingCaption("A ", 1234, countToVolts(607, 1023), 607, at, 60).view(),
              "A #1234 1.483V [607] at 62 min, 5 sec, 11:30:05");
    EXPECT_EQ(readingCaption("", 7, countToVolts(607, 1023), 607, {}, 60).view(),
              "#7 1.483V [607]");
    EXPECT_EQ(
        cursorsCaption(countToVolts(607, 1023), countToVolts(604, 1023), at, later, 9, ",").view(),
        "A 1.483V, B 1.476V: \xCE\x94 -7 mV in 6 min, 48 sec (-1,1 mV/min)");
    const ReadingTime soon{at.utcMilliseconds, at.chargeSeconds + 0.002};
    EXPECT_EQ(cursorsCaption(1.0f, 1.1f, at, soon, 1, ".").view(),
              "A 1V, B 1.1V: \xCE\x94 100 mV in 0 min, 0 sec");
    EXPECT_EQ(cursorsCaption(1.0f, 1.1f, {}, at, 42, ".").view(),
              "A 1V, B 1.1V: \xCE\x94 100 mV in 42 readings");
    EXPECT_EQ(stretchCaption(10, 20, at, later).view(), "Showing 62 min, 5 sec to 68 min, 53 sec");
    EXPECT_EQ(stretchCaption(10, 20, {}, later).view(), "Showing readings 10 to 20");
    const std::pair<double, const char*> times[] = {
        {0, "0:00"}, {59.9, "0:59"}, {3599, "59:59"}, {3792, "1:03:12"}, {-5, "0:00"}};
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(axisTimeText(seconds).view(), text);
    }
}

// The window sizes each label for the widest of these shapes, so each caption's shape must
// be there, and none may be wider than a caption can be.
TEST(CaptionShapes, HoldEveryFormOfEveryCaption) {
    EXPECT_EQ(shapeOf("Serial port 190 ready, -8.9V"), "Serial port 000 ready, -0.0V");
    const auto holds = [](const std::vector<std::string>& shapes, std::string_view caption) {
        return std::find(shapes.begin(), shapes.end(), shapeOf(caption)) != shapes.end();
    };
    std::set<std::string> values;
    for (int count = -32768; count <= 32767; ++count) {
        const auto sample = static_cast<std::int16_t>(count);
        values.insert(shapeOf(valueCaption(countToVolts(sample, 1023), sample).view()));
    }
    EXPECT_EQ(valueCaptionShapes(), std::vector<std::string>(values.begin(), values.end()));
    // Seconds of charge time and volts of a scale label.
    for (const float x : {-99.99f, -1.f, 0.f, 1.6f, 9.f, 59.f, 600.f, 36000.f, 1e9f}) {
        EXPECT_TRUE(holds(chargeTimeCaptionShapes(), chargeTimeCaption({0, x}).view())) << x;
        EXPECT_TRUE(holds(scaleLabelShapes(","), scaleLabelText(x, ","))) << x;
    }
    for (const bool recorded : {false, true}) {
        EXPECT_TRUE(holds(storeFullCaptionShapes(), storeFullCaption(1, recorded).view()));
        EXPECT_TRUE(
            holds(storeFullCaptionShapes(), storeFullCaption(12345678901, recorded).view()));
    }
    EXPECT_EQ(storeFullCaption(12345678901, true).view(),
              "Store full: 12345678901 new readings only in the recording file");
}

TEST_F(ChartTest, RedrawWritesTheStatusLabels) {
    chart.drawchart();
    EXPECT_EQ(plot.clears + labvalue.captionsWritten, 0);  // nothing at all without samples

    while (samples.append(655)) {  // full, and one more turned away
    }
    chart.drawchart();
    EXPECT_EQ(labvalue.caption, "1.600V [655]");
    EXPECT_EQ(labtime.caption, "0 min, 0 sec");
    EXPECT_EQ(labstorefull.caption, "Store full: 1 new reading not stored");

    samples.clear();  // a load of an empty file
    chart.storeReplaced();
    EXPECT_EQ(labstorefull.caption, "");
    // The grid: eleven and fifteen grey lines, then the two blue axes.
    using Segment = FakeSurface::Segment;
    ASSERT_EQ(plot.lines.size(), 28u);
    EXPECT_EQ(plot.lines[10], (Segment{1000, 0, 1000, 1000, Chart::kGridColor}));
    EXPECT_EQ(plot.lines[12], (Segment{0, 1000.0f / 14, 1000, 1000.0f / 14, Chart::kGridColor}));
    EXPECT_EQ(plot.lines[26], (Segment{0, 0, 0, 1000, Chart::kAxisColor}));
    EXPECT_EQ(plot.lines[27], (Segment{0, 0, 1000, 0, Chart::kAxisColor}));
}

// After the points, a short upright mark in a colour of its own through the peak's point;
// nothing else drawn changes, and a load takes the mark away.
TEST_F(ChartTest, PeakMarkStandsOnThePeaksPoint) {
    for (const std::int16_t count : {600, 606, 604}) {
        samples.append(count);
    }
    chart.drawchart();
    FakeSurface expected = plot;
    const FakeSurface::Point peak = plot.points.at(1);
    expected.lines.push_back({peak.x, peak.y - 15, peak.x, peak.y + 15, Chart::kPeakColor});
    chart.markPeak(Chart::Peak{2, 606});
    chart.drawchart();
    EXPECT_EQ(plot.lines, expected.lines);
    EXPECT_EQ(plot.points, expected.points);
    chart.storeReplaced();
    chart.drawchart();
    EXPECT_EQ(plot.lines.size(), expected.lines.size() - 1);
    // Only a peak among the stored readings is marked, the first and the last too.
    const std::pair<std::int32_t, std::size_t> marks[] = {{1, 29}, {3, 29}, {0, 28}, {4, 28}};
    for (const auto& [index, lines] : marks) {
        chart.markPeak(Chart::Peak{index, 600});
        chart.drawchart();
        EXPECT_EQ(plot.lines.size(), lines) << index;
    }
}

// A width of -0.1 typed into the settings file makes the vertical divisor zero.
TEST_F(ChartTest, BrokenRangeDrawsNoPointsAndTheRangeDialogRepairsIt) {
    window = {1.6f, 1.7f, -0.1f};
    samples.append(655);
    chart.drawchart();
    EXPECT_TRUE(plot.points.empty());
    dialogs.answers = {"0.6"};
    chart.menurange_Click();
    EXPECT_EQ(plot.points.size(), 1u);
}

// The pointer reads the reading nearest it in the strip; two clicks set the cursors, drawn
// at their readings in their colours, and the strip shows the change between them; Esc
// clears them.
TEST_F(ChartTest, PointerAndCursorsReadTheChart) {
    fill(1000);
    chart.drawchart();
    mouse(PointerEvent::Kind::Move, 250);
    EXPECT_EQ(labstorefull.caption, "#250 1.282V [525] at 4 min, 10 sec, 00:04:10");
    for (const float x : {100.0f, 700.0f}) {
        mouse(PointerEvent::Kind::Press, x, PointerEvent::Button::Left);
        mouse(PointerEvent::Kind::Release, x, PointerEvent::Button::Left);
    }
    const auto lineAt = [&](float x, Color color) {
        return std::count(plot.lines.begin(), plot.lines.end(),
                          FakeSurface::Segment{x, 0, x, 1000, color}) == 1;
    };
    EXPECT_TRUE(lineAt(100, Chart::kCursorAColor));
    EXPECT_TRUE(lineAt(700, Chart::kCursorBColor));
    EXPECT_EQ(labstorefull.caption,
              "A 1.246V, B 1.392V: \xCE\x94 147 mV in 10 min, 0 sec "
              "(14.7 mV/min)   #700 1.392V [570] at 11 min, 40 sec, 00:11:40");
    input.key(Key::Left, true);  // B a grid column earlier
    EXPECT_TRUE(lineAt(600, Chart::kCursorBColor));
    input.key(Key::Escape, false);
    mouse(PointerEvent::Kind::Leave, 0);
    EXPECT_EQ(labstorefull.caption, "");
    EXPECT_FALSE(lineAt(100, Chart::kCursorAColor));
}

// A drag zooms to the readings it spans: they fill the width, the window fits their range
// in tenths (at least the user's width) and the strip says what is shown; readings that
// arrive leave it still; Home gives back exactly the chart never zoomed.
TEST_F(ChartTest, ZoomedStretchAndBackToTheWholeCharge) {
    fill(1000);
    chart.drawchart();
    const std::vector<FakeSurface::Point> whole = plot.points;
    const std::vector<FakeSurface::Segment> grid = plot.lines;
    mouse(PointerEvent::Kind::Press, 500, PointerEvent::Button::Left);
    mouse(PointerEvent::Kind::Move, 520);
    mouse(PointerEvent::Kind::Move, 599);
    mouse(PointerEvent::Kind::Release, 599, PointerEvent::Button::Left);
    fill(10);  // ten more, 1001..1010
    chart.drawchart();
    ASSERT_EQ(plot.points.size(), 100u);  // readings 500..599
    EXPECT_FLOAT_EQ(plot.points.front().x, 10);
    EXPECT_FLOAT_EQ(plot.points.back().x, 1000);
    EXPECT_EQ(labs[0].caption, "1.10V");  // 1.344..1.366 V, widened to 0.6 V
    EXPECT_EQ(labs[6].caption, "1.70V");
    EXPECT_NE(labstorefull.caption.find("Showing 8 min, 20 sec to 9 min, 59 sec"),
              std::string::npos);
    input.key(Key::Home, false);
    samples.clear();
    fill(1000);
    chart.drawchart();
    EXPECT_EQ(plot.points, whole);
    EXPECT_EQ(plot.lines, grid);
    EXPECT_EQ(labs[0].caption, "1.00V");
}

// A click on a chart of one reading sets a cursor there; the arrows keep it there.
TEST_F(ChartTest, ACursorOnTheOnlyReading) {
    fill(1);
    mouse(PointerEvent::Kind::Press, 900, PointerEvent::Button::Left);
    mouse(PointerEvent::Kind::Release, 900, PointerEvent::Button::Left);
    EXPECT_EQ(chart.cursors().a(), 1);
    for (const bool shift : {false, true}) {
        input.key(Key::Right, shift);
        EXPECT_EQ(chart.cursors().a(), 1) << shift;
    }
}

// Zoomed in to the narrowest (ten readings, one a grid column): the pointer alone moves
// nothing, a drag with the right button carries the readings with it, and Shift+arrows move
// a cursor by one reading.
TEST_F(ChartTest, TheNarrowestStretchPannedAndStepped) {
    using Kind = PointerEvent::Kind;
    fill(1000);
    input.pointer({.kind = Kind::Wheel, .x = 500, .wheelSteps = 30});
    const ChartView::Stretch zoomed = chart.view().stretch(1000);
    ASSERT_EQ(zoomed.size(), ChartView::kNarrowest);
    mouse(Kind::Move, 300);
    EXPECT_EQ(chart.view().stretch(1000), zoomed);
    mouse(Kind::Press, 500, PointerEvent::Button::Right);
    mouse(Kind::Move, 300);  // two readings to the left
    mouse(Kind::Release, 300, PointerEvent::Button::Right);
    EXPECT_EQ(chart.view().stretch(1000).first, zoomed.first + 2);
    mouse(Kind::Press, 500, PointerEvent::Button::Left);
    mouse(Kind::Release, 500, PointerEvent::Button::Left);
    const std::int32_t a = chart.cursors().a();
    input.key(Key::Right, true);
    EXPECT_EQ(chart.cursors().a(), a + 1);
}

// A drag broken off (the pointer taken away, or Esc) zooms to nothing, sets no cursor and
// leaves no selection behind, and Esc then spares the cursors; a sideways wheel moves the
// zoomed stretch by grid columns, as the wheel with Shift does.
TEST_F(ChartTest, BrokenOffDragsAndTheSidewaysWheel) {
    using Kind = PointerEvent::Kind;
    using Button = PointerEvent::Button;
    fill(1000);
    mouse(Kind::Press, 100, Button::Left);
    mouse(Kind::Release, 100, Button::Left);  // cursor A
    chart.drawchart();
    const std::vector<FakeSurface::Segment> unzoomed = plot.lines;
    for (const bool byEsc : {false, true}) {
        mouse(Kind::Press, 500, Button::Left);
        mouse(Kind::Move, 599);
        if (byEsc) {
            input.key(Key::Escape, false);
        } else {
            mouse(Kind::Leave, 599);
        }
        mouse(Kind::Move, 700);
        mouse(Kind::Release, 700, Button::Left);
        chart.drawchart();
        EXPECT_FALSE(chart.view().zoomed()) << byEsc;
        EXPECT_EQ(plot.lines, unzoomed) << byEsc;
    }
    input.pointer({.kind = Kind::Wheel, .x = 500, .wheelSteps = 3});
    const ChartView::Stretch zoomed = chart.view().stretch(1000);
    for (const bool shift : {false, true}) {
        input.pointer(
            {.kind = Kind::Wheel, .x = 500, .shift = shift, .wheelSteps = -1, .sideways = !shift});
    }
    const ChartView::Stretch panned = chart.view().stretch(1000);
    EXPECT_EQ(panned.last - panned.first, zoomed.last - zoomed.first);
    EXPECT_EQ(panned.first - zoomed.first, 2 * std::lround(100 / chart.view().xStep(1000)));
}

// Under each grid line the charge time of the reading there, or its number without times;
// every second one only when the layout says they would overlap; none where no reading is.
TEST_F(ChartTest, TimesUnderTheGridLines) {
    std::array<FakeLabel, 11> under;
    std::array<Label*, 11> labels{};
    std::transform(under.begin(), under.end(), labels.begin(), [](FakeLabel& l) { return &l; });
    Chart timed({window, samples, times, fullscale, apptitle, recorded},
                {plot, scaleLabels, labvalue, labtime, labstorefull, labels}, dialogs, settings,
                ".");
    fill(100);  // 5 units apart: up to x = 500
    timed.drawchart();
    EXPECT_EQ(under[0].caption, "0:01");
    EXPECT_EQ(under[3].caption, "1:00");
    EXPECT_EQ(under[6].caption, "");
    samples.clear();
    samples.append(600);
    samples.append(600);
    timed.setTimeLabelStride(2);
    timed.drawchart();
    EXPECT_EQ(under[0].caption, "1");
    EXPECT_EQ(under[1].caption, "");
}

}  // namespace
}  // namespace tremolex
