#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/noticestrip.h"
#include "platform/dialogs.h"
#include "platform/label.h"
#include "platform/surface.h"
#include "settings/settingsstore.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"
#include "state/voltagewindow.h"

namespace tremolex {

// The chart: the voltage window with its seven scale labels and the commands that move
// and resize it, the grid, the plot of every sample, the window following the latest
// reading, the value and charge-time labels, the notice strip with its store-full notice,
// and the mark at the peak of a charge.
//
// The chart gives its surface its coordinate system (x from -1 to 1002, y from 1000 at the
// top to -3 at the bottom) once; the surface keeps it whatever its size.
class Chart {
public:
    // The window's run-time fields the chart reads and, for the voltage window, writes.
    struct Fields {
        VoltageWindow& window;
        const SampleStore& samples;
        const ChargeTimes& times;
        const std::int32_t& fullscale;
        const std::string& apptitle;
        const bool& recorded;  // readings reach the recording on disk
    };
    struct Controls {
        Surface& plot;                      // the chart picture (once grafik)
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

    Chart(Fields fields, Controls controls, Dialogs& dialogs, const SettingsStore& settings,
          std::string decimalSeparator);

    // Start-up: the stored width of the voltage window (0.6 V when it is not a number), the
    // window at its reset place, the scale labels and the empty grid.
    void start();
    // The surface took a new size: the empty grid, until the next redraw.
    void resized() { drawgrid(); }
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
    // The window back to its top at kResetTop, with its width.
    void resetWindow();
    void follow(float volts);
    void showStoreNotice();
    void plot();

    Fields m_fields;
    Controls m_controls;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    std::string m_decimalSeparator;
    std::vector<float> m_heightOf;  // the plot height of each count, for one redraw
    NoticeStrip m_notices{m_controls.labstorefull};
    std::optional<Peak> m_peak;
};

}  // namespace tremolex
