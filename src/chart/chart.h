#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chart/chartcursors.h"
#include "chart/chartview.h"
#include "chart/noticestrip.h"
#include "platform/clock.h"
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
        // Under the vertical grid lines, the charge time of the reading at each; null: none.
        std::array<Label*, 11> timeLabels;
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
    static constexpr Color kCursorAColor = rgb(0, 192, 255);
    static constexpr Color kCursorBColor = rgb(255, 96, 255);
    static constexpr Color kSelectionColor = rgb(255, 255, 255);
    // Half the width of the mark on a cursor's reading, in the chart's units.
    static constexpr float kCursorMarkHalfWidth = 8;
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
    // Which readings the chart shows, and the measuring cursors on them. After a change,
    // viewChanged() shows it.
    ChartView& view() { return m_view; }
    ChartCursors& cursors() { return m_cursors; }
    // The scale labels and the chart drawn again for the view and cursors as they are now.
    void viewChanged();
    // Only every `stride`-th time label under the chart is written, the others left empty:
    // the layout's choice when they would overlap.
    void setTimeLabelStride(int stride) { m_timeLabelStride = stride; }
    // While a drag picks a stretch: a line at either end of it, until cleared.
    void markSelection(double x1, double x2) { m_selection = {x1, x2}; }
    void clearSelection() { m_selection.reset(); }
    // The clock whose time zone the strip's clock times are in; none: UTC.
    void setClock(Clock& clock) { m_clock = &clock; }
    // The local UTC offset at a reading's moment, in minutes.
    std::int32_t utcOffsetAt(const ReadingTime& time) const;

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
    void writeScale(const VoltageWindow& window);
    VoltageWindow fitted(std::pair<std::int16_t, std::int16_t> range) const;
    void showStoreNotice();
    void showReadouts(ChartView::Stretch shown);
    void showTimes();
    void plot(const VoltageWindow& window, ChartView::Stretch shown,
              std::pair<std::int16_t, std::int16_t> range);
    void markCursor(float x, float y, Color color);

    Fields m_fields;
    Controls m_controls;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    std::string m_decimalSeparator;
    std::vector<float> m_heightOf;  // the plot height of each count, for one redraw
    NoticeStrip m_notices{m_controls.labstorefull};
    std::optional<Peak> m_peak;
    ChartView m_view;
    ChartCursors m_cursors;
    Clock* m_clock = nullptr;
    std::optional<std::pair<double, double>> m_selection;
    int m_timeLabelStride = 1;
};

}  // namespace tremolex
