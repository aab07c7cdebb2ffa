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
    const VoltageWindow& w = m_fields.window;
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
    plot();
}

void Chart::storeReplaced() {
    m_peak.reset();
    drawgrid();
    showStoreNotice();
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

void Chart::plot() {
    const VoltageWindow& w = m_fields.window;
    const std::span<const std::int16_t> samples = m_fields.samples.samples();
    // The window plus 0.05 V on either side fills the height of the chart.
    const double divisor = wide(w.scaletop) - wide(w.scalebottom) + 0.1;
    if (!(divisor > 0) || !std::isfinite(divisor)) {
        return;  // a width of -0.1 or less, only possible by editing the settings
    }
    const double yScale = 1000 / divisor;
    const double bottom = wide(w.scalebottom);
    const double fullscale = m_fields.fullscale;
    const auto height = [&](double count) {
        const double volts = wide(single(countVolts(count, fullscale)));
        return single(yScale * (volts - bottom + 0.05));
    };
    const std::size_t n = samples.size();
    const double xStep = n <= 200   ? 1000.0 / 200
                         : n <= 400 ? 1000.0 / 400
                                    : 1000.0 / static_cast<double>(n);
    // Many samples share few counts: each count's height is worked out once.
    std::int16_t lowest = samples.front(), highest = samples.front();
    for (const std::int16_t count : samples) {  // a plain loop: the compiler vectorises it
        lowest = std::min(lowest, count);
        highest = std::max(highest, count);
    }
    const auto counts = static_cast<std::size_t>(highest - lowest) + 1;
    for (std::size_t c = 0; c < counts; ++c) {
        m_heightOf[c] = height(static_cast<std::int16_t>(lowest + static_cast<int>(c)));
    }
    m_controls.plot.PSetSeries(xStep, samples, lowest, {m_heightOf.data(), counts}, kPointColor);
    if (m_peak && m_peak->index >= 1 && static_cast<std::size_t>(m_peak->index) <= n) {
        const float x = single(xStep * m_peak->index);  // as the series places that point
        const float y = height(m_peak->count);
        m_controls.plot.Line(x, y - kPeakMarkHalfHeight, x, y + kPeakMarkHalfHeight, kPeakColor);
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
