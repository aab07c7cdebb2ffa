#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/noticestrip.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"
#include "state/voltagewindow.h"
#include "platform/dialogs.h"
#include "platform/label.h"
#include "platform/surface.h"
#include "settings/module1.h"

namespace tremolex {

// The chart: the voltage window with its seven scale labels and the commands that move
// and resize it, the grid, the plot of every sample, the window following the latest
// reading, the value and charge-time labels, the notice strip with its store-full notice,
// and the mark at the peak of a charge.
//
// The surface must carry the chart's coordinate system (x from -1 to 1002, y from 1000 at
// the top to -3 at the bottom) whenever drawgrid or drawchart runs; the layout sets it.
class Chart {
public:
    // The window's run-time fields the chart reads and, for the voltage window, writes.
    struct Fields {
        VoltageWindow& window;
        const SampleStore& samples;
        const ChargeTimes& times;
        const std::int32_t& fullscale;
        const std::string& apptitle;
    };
    struct Controls {
        Surface& grafik;
        std::array<Label*, 7> scaleLabels;  // lab1 (bottom of the window) to lab7 (top)
        Label& labvalue;
        Label& labtime;
        Label& labstorefull;  // the notice strip: empty unless a notice applies
    };
    // Where a charge peaked: a store position 1..samplecount and a count, not always whole.
    struct Peak {
        std::int32_t index = 0;
        double count = 0;
    };

    static constexpr Color kGridColor = rgb(64, 64, 64);
    static constexpr Color kAxisColor = rgb(0, 0, 192);
    static constexpr Color kPointColor = rgb(192, 255, 192);
    static constexpr Color kPeakColor = rgb(255, 128, 0);  // used for nothing else
    // Half the height of the peak mark, in the chart's units (1000 to its height).
    static constexpr float kPeakMarkHalfHeight = 15;

    Chart(Fields fields, Controls controls, Dialogs& dialogs, const Module1& settings,
          std::string decimalSeparator);

    // Writes the seven scale labels from the voltage window.
    void showscale();
    // Clears the surface and draws the empty grid: 26 grey lines, then the two blue axes.
    void drawgrid();
    // Redraws everything from the samples; does nothing while there are none.
    void drawchart();
    // A load replaced the store: the empty grid, no notice of readings turned away and no
    // peak mark.
    void storeReplaced();
    // The peak each redraw marks after the points, a short vertical line where the plot puts
    // the peak; none for nullopt.
    void markPeak(std::optional<Peak> peak) { m_peak = peak; }
    // The strip above the chart, for the notices of others beside its own.
    NoticeStrip& notices() { return m_notices; }

    void Timer1_Timer() { drawchart(); }
    void menuscaleup_Click();
    void menuscaledown_Click();
    void menurange_Click();

    // Top of the window after a change of width and at start-up.
    static constexpr float kResetTop = 1.6f;

private:
    void follow(float volts);
    void showStoreNotice();
    void plot();

    Fields m_fields;
    Controls m_controls;
    Dialogs& m_dialogs;
    const Module1& m_settings;
    std::string m_decimalSeparator;
    std::vector<float> m_heightOf;  // the plot height of each count, for one redraw
    NoticeStrip m_notices{m_controls.labstorefull};
    std::optional<Peak> m_peak;
};

}  // namespace tremolex
