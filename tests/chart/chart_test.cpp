#include "chart/chart.h"

#include <gtest/gtest.h>

#include "chart/captions.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakesurface.h"
#include "fakes/fakewidgets.h"

namespace tremolex {
namespace {

class ChartTest : public testing::Test {
protected:
    ChartTest() { reset(0.6f); }

    void reset(float range) {
        window.scalerange = range;
        window.scaletop = 1.6f;
        window.scalebottom = static_cast<float>(1.6f - static_cast<double>(range));
    }
    std::vector<std::string> scaleCaptions() const {
        std::vector<std::string> captions;
        for (const FakeLabel& label : labs) {
            captions.push_back(label.caption);
        }
        return captions;
    }
    void fill(int count, std::int16_t value) {
        for (int i = 0; i < count; ++i) {
            samples.append(value);
        }
    }

    VoltageWindow window;
    SampleStore samples;
    ChargeTimes times;
    std::int32_t fullscale = 1023;
    std::string apptitle = "Tremolex";
    FakeSurface grafik;
    std::array<FakeLabel, 7> labs;
    FakeLabel labvalue, labtime, labstorefull;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    Module1 settings{keys};
    Chart chart{{window, samples, times, fullscale, apptitle},
                {grafik,
                 {&labs[0], &labs[1], &labs[2], &labs[3], &labs[4], &labs[5], &labs[6]},
                 labvalue,
                 labtime,
                 labstorefull},
                dialogs,
                settings,
                "."};
};

TEST_F(ChartTest, ScaleLabelsAfterAReset) {
    const std::pair<float, std::vector<std::string>> table[] = {
        {0.1f, {"1.50V", "1.52V", "1.53V", "1.55V", "1.57V", "1.58V", "1.60V"}},
        {0.6f, {"1.00V", "1.10V", "1.20V", "1.30V", "1.40V", "1.50V", "1.60V"}},
        {0.9f, {"0.70V", "0.85V", "1.00V", "1.15V", "1.30V", "1.45V", "1.60V"}},
    };
    for (const auto& [range, captions] : table) {
        reset(range);
        chart.showscale();
        EXPECT_EQ(scaleCaptions(), captions) << range;
    }
}

TEST_F(ChartTest, ScaleLabelsUseTheLocaleSeparator) {
    EXPECT_EQ(scaleLabelText(1.5f, ","), "1,50V");
    EXPECT_EQ(scaleLabelText(-3.4f, "."), "-3.40V");
    EXPECT_EQ(scaleLabelText(0.125f, "."), "0.13V");  // halves away from zero
    EXPECT_EQ(scaleLabelText(-0.001f, "."), "0.00V");
}

TEST_F(ChartTest, ShiftsStopAtTheirGuards) {
    for (int i = 0; i < 8; ++i) {
        chart.menuscaleup_Click();
    }
    EXPECT_EQ(window.scaletop, 2.3999996f);
    EXPECT_EQ(labs[6].caption, "2.40V");
    const int written = labs[6].captionsWritten;
    chart.menuscaleup_Click();
    EXPECT_EQ(window.scaletop, 2.3999996f);
    EXPECT_EQ(labs[6].captionsWritten, written);

    reset(0.6f);
    for (int i = 0; i < 9; ++i) {
        chart.menuscaledown_Click();
    }
    EXPECT_NEAR(window.scalebottom, 0.1f, 1e-6);
    EXPECT_NEAR(window.scaletop, 0.7f, 1e-6);
    chart.menuscaledown_Click();
    EXPECT_NEAR(window.scalebottom, 0.1f, 1e-6);
}

TEST_F(ChartTest, RangeDialogAnswers) {
    struct Case {
        std::string answer;
        float range;
        bool wrong;
    };
    const Case cases[] = {{".5", 0.5f, false},  {"0.5", 0.5f, false}, {"0.50", 0.6f, true},
                          {" 0.5", 0.6f, true}, {"0,5", 0.6f, true},  {"5", 0.6f, true},
                          {"1", 0.6f, true},    {"0.05", 0.6f, true}, {"", 0.6f, false}};
    for (const Case& c : cases) {
        reset(0.6f);
        window.scaletop = 2.0f;
        dialogs = {};
        dialogs.answers = {c.answer};
        chart.menurange_Click();
        ASSERT_EQ(dialogs.inputs.size(), 1u);
        EXPECT_EQ(dialogs.inputs[0].text, "Please enter new voltage range [0.1 - 0.9].");
        EXPECT_EQ(dialogs.inputs[0].title, "Tremolex");
        EXPECT_EQ(dialogs.inputs[0].defaultText, "0.6");
        EXPECT_EQ(window.scalerange, c.range) << c.answer;
        ASSERT_EQ(dialogs.messages.size(), c.wrong ? 1u : 0u) << c.answer;
        if (c.wrong) {
            EXPECT_EQ(dialogs.messages[0].text, "Wrong entry!");
            EXPECT_EQ(dialogs.messages[0].title, "Tremolex");
        }
        EXPECT_EQ(settings.regread("Range", "x"), c.range == 0.5f ? ".5" : ".6");
        EXPECT_EQ(window.scaletop, 1.6f);  // reset whatever the answer
        EXPECT_EQ(window.scalebottom, static_cast<float>(1.6f - static_cast<double>(c.range)));
    }
}

// Each case: window width and bottom, latest count, window afterwards, label rewrites.
TEST_F(ChartTest, WindowFollowsTheLatestReading) {
    struct Case {
        float range, bottom;
        std::int16_t count;
        float newBottom, newTop;
        int showscales;
    };
    const Case cases[] = {
        {0.6f, 1.0f, 401, 0.8f, 1.4f, 1},   // 0.98 V
        {0.6f, 1.0f, 798, 1.4f, 2.0f, 1},   // 1.95 V
        {0.1f, 1.8f, 634, 1.5f, 1.6f, 2},   // 1.549 V: down to 1.4..1.5, then up
        {0.6f, 1.0f, 1003, 1.0f, 1.6f, 0},  // 2.451 V: beyond the upper limit
        {0.6f, 1.0f, 983, 1.0f, 1.6f, 0},   // 2.4 V
        {0.6f, 1.0f, 81, 1.0f, 1.6f, 0},    // 0.198 V
    };
    for (const Case& c : cases) {
        samples.clear();
        window = {c.bottom + c.range, c.bottom, c.range};
        samples.append(c.count);
        const int before = labs[0].captionsWritten;
        chart.drawchart();
        EXPECT_NEAR(window.scalebottom, c.newBottom, 1e-6) << c.count;
        EXPECT_NEAR(window.scaletop, c.newTop, 1e-6) << c.count;
        EXPECT_EQ(labs[0].captionsWritten - before, c.showscales) << c.count;
    }
}

TEST_F(ChartTest, HorizontalSpacingDependsOnTheSampleCount) {
    const std::pair<int, float> cases[] = {
        {1, 5}, {200, 1000}, {201, 502.5f}, {400, 1000}, {401, 1000}};
    for (const auto& [count, lastX] : cases) {
        samples.clear();
        fill(count, 512);
        chart.drawchart();
        ASSERT_EQ(grafik.points.size(), static_cast<std::size_t>(count));
        EXPECT_FLOAT_EQ(grafik.points.back().x, lastX) << count;
    }
    EXPECT_FLOAT_EQ(grafik.points[0].x, static_cast<float>(1000.0 / 401));
    EXPECT_EQ(grafik.points[0].color, Chart::kPointColor);
}

TEST_F(ChartTest, VerticalMappingPutsLabelValuesOnTheirLines) {
    samples.append(409);  // 0.9995 V, kept inside the window by hand below
    window = {1.6f, 1.0f, 0.6f};
    chart.drawchart();  // follows down to 0.8..1.4
    ASSERT_EQ(grafik.points.size(), 1u);
    // 1000 / 0.7 * (v - 0.8 + 0.05)
    EXPECT_NEAR(grafik.points[0].y, 1000 / 0.7 * (countToVolts(409, 1023) - 0.75), 0.01);
}

TEST_F(ChartTest, ValueAndTimeCaptions) {
    const std::pair<std::int16_t, const char*> values[] = {
        {655, "1.600V [655]"}, {400, ".9775V [400]"}, {1023, "2.5V [1023]"},
        {0, "0V [0]"},         {40, ".0977V [40]"},   {1, ".0024V [1]"}};
    for (const auto& [count, caption] : values) {
        EXPECT_EQ(valueCaption(countToVolts(count, 1023), count).view(), caption);
    }
    const std::pair<float, const char*> elapsed[] = {
        {0, "0 min, 0 sec"},        {59.9f, "0 min, 59 sec"},     {60, "1 min, 0 sec"},
        {125, "2 min, 5 sec"},      {3600, "60 min, 0 sec"},      {32767, "546 min, 7 sec"},
        {40000, "666 min, 40 sec"}, {200000, "3333 min, 20 sec"}, {-2, "0 min, 0 sec"}};
    for (const auto& [seconds, caption] : elapsed) {
        EXPECT_EQ(chargeTimeCaption({1000, 1000 + seconds}).view(), caption);
    }
}

TEST_F(ChartTest, RedrawWritesTheStatusLabels) {
    chart.drawchart();
    EXPECT_EQ(grafik.clears, 0);  // nothing at all without samples
    EXPECT_EQ(labvalue.captionsWritten, 0);

    times = {99.9f, 100.0f};
    samples.append(655);
    chart.drawchart();
    EXPECT_EQ(labvalue.caption, "1.600V [655]");
    EXPECT_EQ(labtime.caption, "0 min, 0 sec");
    EXPECT_EQ(labstorefull.caption, "");

    fill(SampleStore::kCapacity - 1, 655);  // exactly full: nothing turned away yet
    chart.drawchart();
    EXPECT_EQ(labstorefull.caption, "");
    fill(1, 655);
    chart.drawchart();
    EXPECT_EQ(labstorefull.caption, "Store full: 1 new reading not stored");
    EXPECT_EQ(labvalue.caption, "1.600V [655]");
    fill(2, 655);
    chart.drawchart();
    EXPECT_EQ(labstorefull.caption, "Store full: 3 new readings not stored");

    samples.clear();  // a load of an empty file
    chart.storeReplaced();
    EXPECT_EQ(labstorefull.caption, "");
    EXPECT_EQ(grafik.lines.size(), 28u);
}

TEST_F(ChartTest, GridIsTwentySixGreyLinesThenTwoBlueAxes) {
    chart.drawgrid();
    ASSERT_EQ(grafik.lines.size(), 28u);
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(grafik.lines[i].color, Chart::kGridColor);
    }
    EXPECT_EQ(grafik.lines[10], (FakeSurface::Segment{1000, 0, 1000, 1000, Chart::kGridColor}));
    EXPECT_EQ(grafik.lines[12],
              (FakeSurface::Segment{0, 1000.0f / 14, 1000, 1000.0f / 14, Chart::kGridColor}));
    EXPECT_EQ(grafik.lines[26], (FakeSurface::Segment{0, 0, 0, 1000, Chart::kAxisColor}));
    EXPECT_EQ(grafik.lines[27], (FakeSurface::Segment{0, 0, 1000, 0, Chart::kAxisColor}));
}

// A width of -0.1 typed into the settings file makes the vertical divisor zero.
TEST_F(ChartTest, BrokenRangeDrawsNoPointsAndTheRangeDialogRepairsIt) {
    window = {1.6f, 1.7f, -0.1f};
    samples.append(655);
    chart.drawchart();
    EXPECT_TRUE(grafik.points.empty());
    EXPECT_EQ(grafik.lines.size(), 28u);

    dialogs.answers = {"0.6"};
    chart.menurange_Click();
    EXPECT_EQ(grafik.points.size(), 1u);
}

}  // namespace
}  // namespace tremolex
