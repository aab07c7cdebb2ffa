#include "chart/chart.h"

#include <algorithm>
#include <cmath>

#include "chart/captions.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"
#include "settings/textnum.h"
#include "state/countvolts.h"

namespace tremolex {

namespace {

constexpr double kShiftStep = 0.1;
// Eight steps up from 1.6 leave the top at 2.3999996, below a single 2.4: the guard
// sits just under it so that a ninth step is refused.
constexpr float kUpperShiftGuard = 2.399f;
constexpr float kLowerShiftGuard = 0.101f;
constexpr float kLowerFollowLimit = 0.2f;
constexpr float kUpperFollowLimit = 2.4f;

constexpr std::string_view kRangePrompt = "Please enter new voltage range [0.1 - 0.9].";
constexpr std::string_view kWrongEntry = "Wrong entry!";
constexpr std::array<std::string_view, 9> kAcceptedWidths = {"0.1", "0.2", "0.3", "0.4", "0.5",
                                                             "0.6", "0.7", "0.8", "0.9"};

float single(double value) {
    return static_cast<float>(value);
}
double wide(float value) {
    return static_cast<double>(value);
}

// The lowest and highest of some counts, of which there is at least one.
std::pair<std::int16_t, std::int16_t> countRange(std::span<const std::int16_t> counts) {
    std::int16_t lowest = counts.front(), highest = counts.front();
    for (const std::int16_t count : counts) {  // a plain loop: the compiler vectorises it
        lowest = std::min(lowest, count);
        highest = std::max(highest, count);
    }
    return {lowest, highest};
}

}  // namespace

Chart::Chart(Fields fields, Controls controls, Dialogs& dialogs, const SettingsStore& settings,
             std::string decimalSeparator)
    : m_fields(fields),
      m_controls(controls),
      m_dialogs(dialogs),
      m_settings(settings),
      m_decimalSeparator(std::move(decimalSeparator)),
      m_heightOf(std::size_t{1} << 16) {  // room for every count, so a redraw allocates nothing
    Surface& s = m_controls.plot;
    s.setScaleWidth(1003);
    s.setScaleHeight(-1003);
    s.setScaleLeft(-1);
    s.setScaleTop(1000);
}

void Chart::start() {
    // A width too large for single precision can only come from editing the settings.
    const auto range = static_cast<float>(
        textnum(m_settings.regread(settingnames::kRange, settingnames::kRangeDefault)));
    m_fields.window.scalerange =
        std::isfinite(range) ? range : static_cast<float>(textnum(settingnames::kRangeDefault));
    resetWindow();
    showscale();
    drawgrid();
}

void Chart::resetWindow() {
    VoltageWindow& w = m_fields.window;
    w.scaletop = kResetTop;
    w.scalebottom = single(wide(kResetTop) - wide(w.scalerange));
}

void Chart::showscale() {
    if (!m_view.zoomed()) {  // a zoomed chart's labels show its own window
        writeScale(m_fields.window);
    }
}

void Chart::writeScale(const VoltageWindow& w) {
    for (int k = 1; k <= 7; ++k) {
        const float value =
            single(wide(w.scalebottom) + (wide(w.scaletop) - wide(w.scalebottom)) * (k - 1) / 6);
        m_controls.scaleLabels[static_cast<std::size_t>(k - 1)]->setCaption(
            scaleLabelText(value, m_decimalSeparator));
    }
}

void Chart::drawgrid() {
    Surface& s = m_controls.plot;
    s.Cls();
    for (int j = 0; j <= 10; ++j) {
        s.Line(static_cast<float>(j * 100), 0, static_cast<float>(j * 100), 1000, kGridColor);
    }
    for (int k = 0; k <= 14; ++k) {
        const float y = single(static_cast<double>(k * 1000) / 14);
        s.Line(0, y, 1000, y, kGridColor);
    }
    s.Line(0, 0, 0, 1000, kAxisColor);
    s.Line(0, 0, 1000, 0, kAxisColor);
}

void Chart::drawchart() {
    const SampleStore& samples = m_fields.samples;
    if (samples.samplecount() == 0) {
        return;
    }
    const std::int16_t latest = samples.latest();
    const float volts = countToVolts(latest, m_fields.fullscale);
    follow(volts);
    m_controls.labvalue.setCaption(valueCaption(volts, latest).view());
    m_controls.labtime.setCaption(chargeTimeCaption(m_fields.times).view());
    showStoreNotice();
    drawgrid();
    if (m_view.stretch(samples.samplecount()).last > samples.samplecount()) {
        m_view.whole();  // the store was emptied under the stretch
        showscale();
    }
    const ChartView::Stretch shown = m_view.stretch(samples.samplecount());
    const auto range = countRange(samples.samples().subspan(
        static_cast<std::size_t>(shown.first - 1), static_cast<std::size_t>(shown.size())));
    if (m_view.zoomed()) {
        const VoltageWindow window = fitted(range);
        writeScale(window);
        plot(window, shown, range);
    } else {
        plot(m_fields.window, shown, range);
    }
    showReadouts(shown);
    showTimes();
}

void Chart::viewChanged() {
    showscale();
    if (m_fields.samples.samplecount() == 0) {
        drawgrid();
    }
    drawchart();
}

void Chart::storeReplaced() {
    m_peak.reset();
    m_selection.reset();
    m_notices.show(NoticeStrip::Notice::Pointer, "");
    m_view.whole();
    m_cursors.clear();
    showscale();
    drawgrid();
    showStoreNotice();
    showReadouts({});
    showTimes();
}

// A zoomed chart's window: the range of its readings on whole tenths, widened to the
// user's width when narrower.
VoltageWindow Chart::fitted(std::pair<std::int16_t, std::int16_t> range) const {
    const auto [lowest, highest] = range;
    const auto tenths = [&](std::int16_t count) {
        return wide(countToVolts(count, m_fields.fullscale)) * 10;
    };
    // Rounding first: a reading on a tenth keeps its tenth, whatever float made of it.
    double bottom = std::floor(std::round(tenths(lowest) * 1e6) / 1e6);
    double top = std::ceil(std::round(tenths(highest) * 1e6) / 1e6);
    const double width = std::ceil(std::round(wide(m_fields.window.scalerange) * 10 * 1e6) / 1e6);
    for (int grown = 0; top - bottom < width && grown < 100; ++grown) {
        (grown % 2 == 0 ? top : bottom) += grown % 2 == 0 ? 1 : -1;
    }
    return {single(top / 10), single(bottom / 10), m_fields.window.scalerange};
}

// Only while readings were turned away since the store last filled.
void Chart::showStoreNotice() {
    const std::int64_t rejected = m_fields.samples.rejected();
    m_notices.show(
        NoticeStrip::Notice::StoreFull,
        rejected > 0 ? storeFullCaption(rejected, m_fields.recorded).view() : std::string_view());
}

// The window moves to hold a reading that has left it, its ends on whole tenths,
// unless the reading is at or beyond the follow limits.
void Chart::follow(float volts) {
    VoltageWindow& w = m_fields.window;
    if (volts > kLowerFollowLimit && volts < w.scalebottom) {
        w.scalebottom = single((std::floor(wide(volts) * 10) - 1) / 10);
        w.scaletop = single(wide(w.scalebottom) + wide(w.scalerange));
        showscale();
    }
    if (volts < kUpperFollowLimit && volts > w.scaletop) {
        w.scaletop = single((std::floor(wide(volts) * 10) + 1) / 10);
        w.scalebottom = single(wide(w.scaletop) - wide(w.scalerange));
        showscale();
    }
}

void Chart::plot(const VoltageWindow& w, ChartView::Stretch shown,
                 std::pair<std::int16_t, std::int16_t> range) {
    // The window plus 0.05 V on either side fills the height of the chart.
    const double divisor = wide(w.scaletop) - wide(w.scalebottom) + 0.1;
    if (!(divisor > 0) || !std::isfinite(divisor)) {
        return;  // a width of -0.1 or less, only possible by editing the settings
    }
    const std::span<const std::int16_t> samples = m_fields.samples.samples().subspan(
        static_cast<std::size_t>(shown.first - 1), static_cast<std::size_t>(shown.size()));
    const double yScale = 1000 / divisor;
    const double bottom = wide(w.scalebottom);
    const double fullscale = m_fields.fullscale;
    const auto height = [&](double count) {
        const double volts = wide(single(countVolts(count, fullscale)));
        return single(yScale * (volts - bottom + 0.05));
    };
    const std::int32_t n = m_fields.samples.samplecount();
    const double xStep = m_view.xStep(n);
    // Many samples share few counts: each count's height is worked out once.
    const auto [lowest, highest] = range;
    const auto counts = static_cast<std::size_t>(highest - lowest) + 1;
    for (std::size_t c = 0; c < counts; ++c) {
        m_heightOf[c] = height(static_cast<std::int16_t>(lowest + static_cast<int>(c)));
    }
    m_controls.plot.PSetSeries(xStep, samples, lowest, {m_heightOf.data(), counts}, kPointColor);
    if (m_peak && m_peak->index >= shown.first && m_peak->index <= shown.last) {
        const float x = single(m_view.xOf(m_peak->index, n));  // as the series places that point
        const float y = height(m_peak->count);
        m_controls.plot.Line(x, y - kPeakMarkHalfHeight, x, y + kPeakMarkHalfHeight, kPeakColor);
    }
    for (const auto& [reading, color] :
         {std::pair{m_cursors.a(), kCursorAColor}, std::pair{m_cursors.b(), kCursorBColor}}) {
        if (reading >= shown.first && reading <= shown.last) {
            markCursor(single(m_view.xOf(reading, n)), height(m_fields.samples.sample(reading)),
                       color);
        }
    }
    if (m_selection) {
        for (const double x : {m_selection->first, m_selection->second}) {
            m_controls.plot.Line(single(x), 0, single(x), 1000, kSelectionColor);
        }
    }
}

// A thin line across the chart at a cursor's reading, and a short one across the line at
// its value.
void Chart::markCursor(float x, float y, Color color) {
    m_controls.plot.Line(x, 0, x, 1000, color);
    m_controls.plot.Line(x - kCursorMarkHalfWidth, y, x + kCursorMarkHalfWidth, y, color);
}

std::int32_t Chart::utcOffsetAt(const ReadingTime& time) const {
    return m_clock != nullptr && time.known() ? m_clock->utcOffsetMinutes(time.utcMilliseconds) : 0;
}

// The cursors' readings and the stretch a zoomed chart shows, in the strip.
void Chart::showReadouts(ChartView::Stretch shown) {
    const SampleStore& samples = m_fields.samples;
    const auto volts = [&](std::int32_t reading) {
        return countToVolts(samples.sample(reading), m_fields.fullscale);
    };
    const std::int32_t a = m_cursors.a(), b = m_cursors.b();
    Caption cursors;
    if (a > 0 && b > 0) {
        cursors = cursorsCaption(volts(a), volts(b), samples.time(a), samples.time(b),
                                 std::abs(b - a), m_decimalSeparator);
    } else if (a > 0) {
        cursors = readingCaption("A ", a, volts(a), samples.sample(a), samples.time(a),
                                 utcOffsetAt(samples.time(a)));
    }
    m_notices.show(NoticeStrip::Notice::Cursors, cursors.view());
    m_notices.show(NoticeStrip::Notice::Showing,
                   m_view.zoomed()
                       ? stretchCaption(shown.first, shown.last, samples.time(shown.first),
                                        samples.time(shown.last))
                             .view()
                       : std::string_view());
}

// Under each vertical grid line, the charge time of the reading drawn there (its number
// for readings without times); nothing where no reading is.
void Chart::showTimes() {
    const std::int32_t n = m_fields.samples.samplecount();
    for (std::size_t j = 0; j < m_controls.timeLabels.size(); ++j) {
        Label* label = m_controls.timeLabels[j];
        if (label == nullptr) {
            continue;
        }
        const std::int32_t reading =
            j % static_cast<std::size_t>(std::max(m_timeLabelStride, 1)) == 0
                ? m_view.at(static_cast<double>(j) * 100, n)
                : 0;
        Caption text;
        if (reading > 0 && m_fields.samples.time(reading).known()) {
            text = axisTimeText(m_fields.samples.time(reading).chargeSeconds);
        } else if (reading > 0) {
            text << reading;
        }
        label->setCaption(text.view());
    }
}

void Chart::menuscaleup_Click() {
    VoltageWindow& w = m_fields.window;
    if (!(w.scaletop < kUpperShiftGuard)) {
        return;
    }
    w.scalebottom = single(wide(w.scalebottom) + kShiftStep);
    w.scaletop = single(wide(w.scaletop) + kShiftStep);
    showscale();
    drawchart();
}

void Chart::menuscaledown_Click() {
    VoltageWindow& w = m_fields.window;
    if (!(w.scalebottom > kLowerShiftGuard)) {
        return;
    }
    w.scalebottom = single(wide(w.scalebottom) - kShiftStep);
    w.scaletop = single(wide(w.scaletop) - kShiftStep);
    showscale();
    drawchart();
}

void Chart::menurange_Click() {
    VoltageWindow& w = m_fields.window;
    const auto withLeadingZero = [](std::string text) {
        return !text.empty() && text.front() == '.' ? '0' + text : text;
    };
    const std::string answer = withLeadingZero(m_dialogs.InputBox(
        kRangePrompt, m_fields.apptitle, withLeadingZero(numtext(w.scalerange))));
    if (std::find(kAcceptedWidths.begin(), kAcceptedWidths.end(), answer) !=
        kAcceptedWidths.end()) {
        w.scalerange = static_cast<float>(textnum(answer));
    } else if (!answer.empty()) {
        m_dialogs.MsgBox(kWrongEntry, m_fields.apptitle);
    }
    m_settings.regwrite(settingnames::kRange, numtext(w.scalerange));
    resetWindow();
    showscale();
    drawchart();
}

}  // namespace tremolex
