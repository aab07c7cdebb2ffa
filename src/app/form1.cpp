#include "app/form1.h"

#include <algorithm>
#include <cmath>

#include "app/apppath.h"
#include "app/formlayout.h"
#include "chart/captions.h"
#include "chart/chartinput.h"
#include "platform/productname.h"
#include "recording/recordingrecovery.h"
#include "settings/settingnames.h"

namespace tremolex {

namespace {

namespace names = settingnames;

constexpr std::string_view kAppTitle = productname::kShort;
constexpr std::string_view kWindowTitle = productname::kFull;
constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kLightGreen = rgb(192, 255, 192);
constexpr Color kDarkBlue = rgb(0, 0, 64);
constexpr Color kLightRed = rgb(255, 192, 192);
constexpr Color kLightGrey = rgb(192, 192, 192);
constexpr std::chrono::milliseconds kTimer1Interval{1000};
constexpr std::string_view kScaleLabelUnset = "xxxxxx";  // until the first showscale

}  // namespace

Form1::Form1(Window& window, Form1Services services)
    : m_window(window), m_services(std::move(services)) {
    m_window.setTitle(kWindowTitle);
    m_window.setMinimumSize(px(FormLayout::kMinimumSize), px(FormLayout::kMinimumSize));
    buildControls();
    buildMenus();
    m_dialogs = m_services.dialogs ? std::move(m_services.dialogs) : m_window.newDialogs();
    m_fileDialog =
        m_services.fileDialog ? std::move(m_services.fileDialog) : m_window.newFileDialog();
    m_timer1 = m_window.newTimer();
    m_retryTimer = m_window.newTimer();
    m_chart = std::make_unique<Chart>(
        Chart::Fields{m_state.window, m_state.samples, m_state.times, m_state.fullscale,
                      m_state.apptitle, m_state.recorded},
        Chart::Controls{
            *m_chartSurface,
            {m_labs[0], m_labs[1], m_labs[2], m_labs[3], m_labs[4], m_labs[5], m_labs[6]},
            *m_labvalue,
            *m_labtime,
            *m_labstorefull,
            timeLabels()},
        *m_dialogs, m_settings, m_services.decimalSeparator);
    m_port = std::make_unique<PortConnection>(
        PortConnection::Fields{m_state.portnum, m_state.baudrate, m_state.portready,
                               m_state.apptitle, m_state.rxbuffer},
        *m_comm, *m_labstatus, *m_dialogs, m_settings, *m_retryTimer);
    m_logFiles = std::make_unique<LogFiles>(
        LogFiles::Fields{m_state.lastpath, m_state.samples, m_state.times, m_state.apptitle},
        *m_fileDialog, *m_dialogs, m_settings, *m_services.clock, [this] {
            if (m_recorder) {
                m_recorder->end();
            }
            m_charge->storeReplaced();
            m_chart->storeReplaced();
            if (m_state.samples.samplecount() > 0 && m_state.samples.time(1).known()) {
                m_charge->analyseStore();  // a recording, with times
            }
        });
    m_charge = std::make_unique<ChargeMonitor>(
        ChargeMonitor::Fields{m_state.samples, m_state.fullscale, m_state.portready},
        ChargeMonitor::Services{m_chart->notices(), *m_services.clock, m_services.notifier.get(),
                                m_services.sleepInhibitor.get()},
        std::string(kWindowTitle), m_services.decimalSeparator);
    if (m_services.recordingFiles) {
        m_recorder = std::make_unique<Recorder>(
            Recorder::Services{*m_services.recordingFiles, *m_services.clock, m_chart->notices(),
                               m_settings},
            Recorder::folderIn(m_services.documentsFolder), m_services.recordingWork);
    }
    m_reception.setObservers({m_charge.get(), m_recorder.get()});
    m_chart->setClock(*m_services.clock);
    m_chartInput = std::make_unique<ChartInput>(*m_chart, m_state.samples, m_state.fullscale);
    m_chartSurface->setPointerEvents(
        [this](const PointerEvent& event) { m_chartInput->pointer(event); });
    m_comm->setEvents([this] { MSComm1_OnComm(); },
                      [this] {
                          m_port->portLost();
                          m_charge->portLost();
                      });
    m_window.setEvents({.onResize =
                            [this] {
                                m_placement.followDecorations();
                                Form_Resize();
                            },
                        .onMove = [this] { m_placement.followDecorations(); },
                        // restoring from minimised may not change the size
                        .onStateChange = [this] { Form_Resize(); },
                        .onClose = [this] { Form_Unload(); },
                        .onKey = [this](Key key, bool shift) { m_chartInput->key(key, shift); }});
}

Form1::~Form1() {
    m_window.setEvents({});
    m_chartSurface->setPointerEvents({});
    m_comm->setEvents({}, {});
    m_reception.setObservers({});
}

void Form1::buildControls() {
    m_window.setBackColor(kBlack);
    m_chartSurface = &m_window.addSurface(
        {px(FormLayout::kChartLeft), px(FormLayout::kChartTop), px(6015), px(6735)});
    m_chartSurface->setBackColor(kBlack);

    m_labstatus = &newLabel("labstatus", 4860, 600, 1755, 255);
    m_labstatus->setBackColor(kLightGreen);
    m_labstatus->setForeColor(kBlack);
    m_labtime = &newLabel("labtime", 1920, 600, 1455, 255);
    m_labvalue = &newLabel("labvalue", 360, 600, 1455, 255);
    for (WindowLabel* status : {m_labtime, m_labvalue}) {
        status->setForeColor(kWhite);
        status->setBackColor(kDarkBlue);
    }
    for (int k = 7; k >= 1; --k) {
        WindowLabel& lab = newLabel("lab" + std::to_string(k), 300,
                                    static_cast<float>(1260 + (7 - k) * 240), 495, 255);
        lab.setForeColor(kLightGreen);
        lab.setBackColor(kBlack);
        lab.setCaption(kScaleLabelUnset);
        m_labs[static_cast<std::size_t>(k - 1)] = &lab;
    }
    const std::tuple<const char*, const char*, float, float> captions[] = {
        {"labvaluecaption", "Current value:", 360, 1095},
        {"labtimecaption", "Charge time:", 1920, 975},
        {"labstatuscaption", "Port Status:", 4860, 975}};
    for (const auto& [name, caption, left, width] : captions) {
        WindowLabel& label = newLabel(name, left, 360, width, 255);
        label.setCaption(caption);
        label.setForeColor(kWhite);
        label.setBackColor(kBlack);
        label.setAlignment(WindowLabel::Align::Left);
        label.fitCaptions({caption}, WindowLabel::Growth::RightAndDown);
    }
    // Not a design control: says when the store is full and readings are turned away.
    m_labstorefull = &newLabel("labstorefull", FormLayout::kChartLeft, 960, 6015, 255);
    m_labstorefull->setForeColor(kBlack);
    m_labstorefull->setBackColor(kLightRed);
    m_labstorefull->setHiddenWhenEmpty(true);
    // Sized for all its notices at once, it reaches past a small window's edge: each notice
    // starts at the left, where it is seen whole.
    m_labstorefull->setAlignment(WindowLabel::Align::Left);

    // Not design controls: the charge time at each vertical grid line, under the chart.
    for (std::size_t j = 0; j < m_timeLabels.size(); ++j) {
        WindowLabel& label = newLabel("labgridtime" + std::to_string(j), FormLayout::kChartLeft,
                                      FormLayout::kChartTop + 6735, 495, 255);
        label.setForeColor(kLightGrey);
        label.setBackColor(kBlack);
        label.setHiddenWhenEmpty(true);
        m_timeLabels[j] = &label;
    }

    // The design sizes fit a small font only; no caption the program shows is ever cut
    // short, whatever the desktop's font and scale. The scale labels keep their right
    // edges beside the grid lines.
    using Growth = WindowLabel::Growth;
    m_labstatus->fitCaptions(PortConnection::statusCaptions(), Growth::RightAndDown);
    m_labvalue->fitCaptions(valueCaptionShapes(), Growth::RightAndDown);
    m_labtime->fitCaptions(chargeTimeCaptionShapes(), Growth::RightAndDown);
    m_labstorefull->fitCaptions(NoticeStrip::shapes(m_services.decimalSeparator),
                                Growth::RightAndDown);
    for (WindowLabel* label : m_timeLabels) {
        label->fitCaptions(gridTimeShapes(), Growth::RightAndDown);
    }
    std::vector<std::string> scaleTexts = scaleLabelShapes(m_services.decimalSeparator);
    scaleTexts.emplace_back(kScaleLabelUnset);
    for (WindowLabel* lab : m_labs) {
        lab->fitCaptions(scaleTexts, Growth::LeftAndBothWays);
    }
}

WindowLabel& Form1::newLabel(std::string_view name, float left, float top, float width,
                             float height) {
    return m_window.addLabel(name, {px(left), px(top), px(width), px(height)});
}

void Form1::buildMenus() {
    m_window.addMenu("&File", {{"Save Graph", [this] { m_logFiles->menusave_Click(); }},
                               {"Load Graph", [this] { m_logFiles->menuload_Click(); }}});
    m_window.addMenu("&Options",
                     {{"Shift Scale Up", [this] { m_chart->menuscaleup_Click(); }},
                      {"Shift Scale Down", [this] { m_chart->menuscaledown_Click(); }},
                      {"Change Voltage Range", [this] { m_chart->menurange_Click(); }},
                      {"Change Serial Port Number", [this] { m_port->menuport_Click(); }}});
    m_window.addMenu("&View", {{"Whole Charge", [this] { m_chartInput->wholeCharge(); }}});
}

std::array<Label*, 11> Form1::timeLabels() const {
    std::array<Label*, 11> labels{};
    std::copy(m_timeLabels.begin(), m_timeLabels.end(), labels.begin());
    return labels;
}

bool Form1::Form_Load() {
    if (!m_services.instanceLock->tryLock()) {
        return false;
    }
    m_state.apppath = appPathOf(m_services.programFolder);
    m_state.apptitle = kAppTitle;
    m_state.lastpath = m_settings.regread(names::kLastPath, m_state.apppath);
    m_placement.restore();
    m_state.fullscale = 1023;
    m_chart->start();
    m_port->openStoredPort();
    m_port->scanports();
    if (m_recorder) {
        RecordingRecovery({m_state.samples, m_state.times, m_state.apptitle},
                          {*m_services.recordingFiles, *m_services.clock, *m_dialogs, m_settings,
                           *m_recorder, *m_charge,
                           [this] {
                               m_charge->storeReplaced();
                               m_chart->storeReplaced();
                           }})
            .offer();
    }
    m_timer1->start(kTimer1Interval, [this] { Timer1_Timer(); });
    return true;
}

// The peak the monitor found is marked from the redraw of this tick on.
void Form1::Timer1_Timer() {
    if (m_recorder) {
        m_recorder->Timer1_Timer();
        m_state.recorded = m_recorder->working();
    }
    m_charge->Timer1_Timer();
    m_chart->markPeak(m_charge->peak());
    m_chart->Timer1_Timer();
}

void Form1::Form_Unload() {
    if (m_recorder) {
        m_recorder->end();
        // Readings that still come before the program ends begin no recording of their own.
        m_reception.setObservers({m_charge.get(), nullptr});
    }
    m_charge->Form_Unload();
    m_placement.store();
}

void Form1::Form_Resize() {
    if (m_window.state() == Window::State::Minimized || !m_chart) {
        return;
    }
    const FormLayout::Size outer{Width(), Height()};
    const FormLayout::Size window = FormLayout::windowSize(outer);
    if (window.width != outer.width) {
        m_placement.setWidth(window.width);
    }
    if (window.height != outer.height) {
        m_placement.setHeight(window.height);
    }
    const PixelSize client = m_window.clientSize();
    const FormLayout::Size chart =
        FormLayout::chartSize({twips(client.width), twips(client.height)});
    const PixelRect place = m_chartSurface->bounds();
    m_chartSurface->setBounds({place.x, place.y, px(chart.width), px(chart.height)});
    m_chart->resized();
    const std::int32_t gridstep = FormLayout::gridstep(twips(m_chartSurface->bounds().height));
    const std::array<float, 7> tops = FormLayout::labelTops(twips(place.y), gridstep);
    for (std::size_t k = 0; k < tops.size(); ++k) {
        m_labs[k]->setTop(tops[k]);
    }
    placeTimeLabels();
}

// Each under its grid line, within the window; every second (or fifth) one left out when
// they would overlap at the chart's width.
void Form1::placeTimeLabels() {
    const PixelRect chart = m_chartSurface->bounds();
    const PixelSize client = m_window.clientSize();
    const int width = m_timeLabels.front()->bounds().width;
    const int height = m_timeLabels.front()->bounds().height;
    const double column = chart.width * 100.0 / 1003;
    int stride = 1;
    for (const int each : {2, 5, 10}) {
        stride = width < column * stride ? stride : each;
    }
    m_chart->setTimeLabelStride(stride);
    const int top = std::max(0, std::min(chart.y + chart.height, client.height - height));
    for (std::size_t j = 0; j < m_timeLabels.size(); ++j) {
        const double center = chart.x + (static_cast<double>(j) * 100 + 1) * chart.width / 1003;
        const int left = std::clamp(static_cast<int>(std::lround(center - width / 2.0)), 0,
                                    std::max(0, client.width - width));
        m_timeLabels[j]->setLeft(twips(left));
        m_timeLabels[j]->setTop(twips(top));
    }
}

}  // namespace tremolex
