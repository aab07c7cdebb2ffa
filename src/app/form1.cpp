#include "app/form1.h"

#include <cmath>

#include "app/apppath.h"
#include "app/formlayout.h"
#include "app/windowgeometry.h"
#include "chart/captions.h"
#include "settings/numtext.h"
#include "settings/settingnames.h"
#include "settings/textnum.h"

namespace tremolex {

namespace {

namespace names = settingnames;

constexpr std::string_view kAppTitle = "Tremolex";
constexpr std::string_view kWindowTitle = "Bramwick Tremolex";
constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kLightGreen = rgb(192, 255, 192);
constexpr Color kDarkBlue = rgb(0, 0, 64);
constexpr Color kLightRed = rgb(255, 192, 192);
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
    m_chart = std::make_unique<Chart>(Chart::Fields{m_state.window, m_state.samples, m_state.times,
                                                    m_state.fullscale, m_state.apptitle},
                                      Chart::Controls{*m_grafik,
                                                      {m_labs[0], m_labs[1], m_labs[2], m_labs[3],
                                                       m_labs[4], m_labs[5], m_labs[6]},
                                                      *m_labvalue,
                                                      *m_labtime,
                                                      *m_labstorefull},
                                      *m_dialogs, m_settings, m_services.decimalSeparator);
    m_port = std::make_unique<PortConnection>(
        PortConnection::Fields{m_state.portnum, m_state.baudrate, m_state.portready,
                               m_state.apptitle, m_state.rxbuffer},
        *m_comm, *m_Label1, *m_dialogs, m_settings, *m_retryTimer);
    m_logFiles = std::make_unique<LogFiles>(
        LogFiles::Fields{m_state.lastpath, m_state.samples, m_state.times, m_state.apptitle},
        *m_fileDialog, *m_dialogs, m_settings, *m_services.clock, [this] {
            m_charge->storeReplaced();
            m_chart->storeReplaced();
        });
    m_charge = std::make_unique<ChargeMonitor>(
        ChargeMonitor::Fields{m_state.samples, m_state.fullscale, m_state.portready},
        ChargeMonitor::Services{m_chart->notices(), *m_services.clock, m_services.notifier.get(),
                                m_services.sleepInhibitor.get()},
        std::string(kWindowTitle), m_services.decimalSeparator);
    m_reception.setObserver(m_charge.get());
    m_comm->setEvents([this] { MSComm1_OnComm(); },
                      [this] {
                          m_port->portLost();
                          m_charge->portLost();
                      });
    m_window.setEvents({.onResize =
                            [this] {
                                followDecorations();
                                Form_Resize();
                            },
                        .onMove = [this] { followDecorations(); },
                        // restoring from minimised may not change the size
                        .onStateChange = [this] { Form_Resize(); },
                        .onClose = [this] { Form_Unload(); }});
}

Form1::~Form1() {
    m_window.setEvents({});
    m_comm->setEvents({}, {});
    m_reception.setObserver(nullptr);
}

void Form1::buildControls() {
    m_window.setBackColor(kBlack);
    m_grafik = &m_window.addSurface(
        {px(FormLayout::kChartLeft), px(FormLayout::kChartTop), px(6015), px(6735)});
    m_grafik->setBackColor(kBlack);

    m_Label1 = &newLabel("Label1", 4860, 600, 1755, 255);
    m_Label1->setBackColor(kLightGreen);
    m_Label1->setForeColor(kBlack);
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
        {"Label3", "Current value:", 360, 1095},
        {"Label4", "Charge time:", 1920, 975},
        {"Label2", "Port Status:", 4860, 975}};
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

    // The design sizes fit a small font only; no caption the program shows is ever cut
    // short, whatever the desktop's font and scale. The scale labels keep their right
    // edges beside the grid lines.
    using Growth = WindowLabel::Growth;
    m_Label1->fitCaptions(PortConnection::statusCaptions(), Growth::RightAndDown);
    m_labvalue->fitCaptions(valueCaptionShapes(), Growth::RightAndDown);
    m_labtime->fitCaptions(chargeTimeCaptionShapes(), Growth::RightAndDown);
    m_labstorefull->fitCaptions(NoticeStrip::shapes(m_services.decimalSeparator),
                                Growth::RightAndDown);
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
}

bool Form1::Form_Load() {
    if (!m_services.instanceLock->tryLock()) {
        return false;
    }
    m_state.apppath = appPathOf(m_services.programFolder);
    m_state.apptitle = kAppTitle;
    m_state.lastpath = m_settings.regread(names::kLastPath, m_state.apppath);
    restoreGeometry();

    // A width too large for single precision can only come from editing the settings.
    const auto range =
        static_cast<float>(textnum(m_settings.regread(names::kRange, names::kRangeDefault)));
    m_state.window.scalerange =
        std::isfinite(range) ? range : static_cast<float>(textnum(names::kRangeDefault));
    m_state.fullscale = 1023;
    m_state.window.scaletop = Chart::kResetTop;
    m_state.window.scalebottom = static_cast<float>(static_cast<double>(Chart::kResetTop) -
                                                    static_cast<double>(m_state.window.scalerange));
    m_chart->showscale();
    m_chart->drawgrid();
    m_port->openport();
    m_port->scanports();
    m_timer1->start(kTimer1Interval, [this] { Timer1_Timer(); });
    return true;
}

// The peak the monitor found is marked from the redraw of this tick on.
void Form1::Timer1_Timer() {
    m_charge->Timer1_Timer();
    m_chart->markPeak(m_charge->peak());
    m_chart->Timer1_Timer();
}

// Each value is read and applied before the next is read.
void Form1::restoreGeometry() {
    WindowGeometry stored;
    stored.left = WindowGeometry::settingValue(
        m_settings.regread(names::kWindowLeft, names::kWindowLeftDefault), stored.left);
    setLeft(stored.left);
    stored.top = WindowGeometry::settingValue(
        m_settings.regread(names::kWindowTop, names::kWindowTopDefault), stored.top);
    setTop(stored.top);
    stored.width = WindowGeometry::settingValue(
        m_settings.regread(names::kWindowWidth, names::kWindowWidthDefault), stored.width);
    setWidth(stored.width);
    stored.height = WindowGeometry::settingValue(
        m_settings.regread(names::kWindowHeight, names::kWindowHeightDefault), stored.height);
    setHeight(stored.height);

    std::vector<WindowGeometry::Rect> screens;
    for (const PixelRect& r : m_window.screens()) {
        screens.push_back({twips(r.x), twips(r.y), twips(r.width), twips(r.height)});
    }
    const WindowGeometry placed = WindowGeometry::keptOnScreen(stored, screens);
    if (placed.left != stored.left || placed.top != stored.top) {
        setLeft(placed.left);
        setTop(placed.top);
    }
}

void Form1::Form_Unload() {
    m_charge->Form_Unload();
    m_settings.regwrite(names::kWindowLeft, numtext(Left()));
    m_settings.regwrite(names::kWindowTop, numtext(Top()));
    m_settings.regwrite(names::kWindowWidth, numtext(Width()));
    m_settings.regwrite(names::kWindowHeight, numtext(Height()));
}

void Form1::Form_Resize() {
    if (m_window.state() == Window::State::Minimized || !m_chart) {
        return;
    }
    const FormLayout::Size outer{Width(), Height()};
    const FormLayout::Size window = FormLayout::windowSize(outer);
    if (window.width != outer.width) {
        setWidth(window.width);
    }
    if (window.height != outer.height) {
        setHeight(window.height);
    }
    const PixelSize client = m_window.clientSize();
    const FormLayout::Size chart =
        FormLayout::chartSize({twips(client.width), twips(client.height)});
    const PixelRect place = m_grafik->bounds();
    m_grafik->setBounds({place.x, place.y, px(chart.width), px(chart.height)});
    m_grafik->setScaleWidth(1003);
    m_grafik->setScaleHeight(-1003);
    m_grafik->setScaleLeft(-1);
    m_grafik->setScaleTop(1000);
    m_chart->drawgrid();
    const std::int32_t gridstep = FormLayout::gridstep(twips(m_grafik->bounds().height));
    const std::array<float, 7> tops = FormLayout::labelTops(twips(place.y), gridstep);
    for (std::size_t k = 0; k < tops.size(); ++k) {
        m_labs[k]->setTop(tops[k]);
    }
}

// X11 tells the decorations only once the window is mapped, in a move or resize event;
// the minimum then holds for the outer size and the outer size applied at start stays.
void Form1::followDecorations() {
    m_frame.setTwipsPerPixel(1440.0 / m_window.logicalDpi());
    const PixelRect frame = m_window.frame();
    const PixelSize size = m_window.size();
    const std::optional<OuterFrame::Size> client =
        m_frame.framed({frame.width, frame.height}, {size.width, size.height},
                       m_window.state() == Window::State::Normal);
    if (!client) {
        return;
    }
    const int minimum = px(FormLayout::kMinimumSize);
    const OuterFrame::Size smallest = m_frame.clientFor({minimum, minimum});
    m_window.setMinimumSize(smallest.width, smallest.height);
    m_window.resize(client->width, client->height);
}

int Form1::px(float value) const {
    return static_cast<int>(std::lround(value * m_window.logicalDpi() / 1440.0));
}

float Form1::twips(int pixels) const {
    return static_cast<float>(pixels * 1440.0 / m_window.logicalDpi());
}

float Form1::Left() const {
    return m_frame.reported(OuterFrame::Edge::Left, m_window.frame().x);
}
float Form1::Top() const {
    return m_frame.reported(OuterFrame::Edge::Top, m_window.frame().y);
}
float Form1::Width() const {
    return m_frame.reported(OuterFrame::Edge::Width, m_window.frame().width);
}
float Form1::Height() const {
    return m_frame.reported(OuterFrame::Edge::Height, m_window.frame().height);
}

// Window systems place a window's frame, but size it without its decorations.
void Form1::setLeft(float value) {
    m_window.move(m_frame.applied(OuterFrame::Edge::Left, value), m_window.frame().y);
}
void Form1::setTop(float value) {
    m_window.move(m_window.frame().x, m_frame.applied(OuterFrame::Edge::Top, value));
}
void Form1::setWidth(float value) {
    const int outer = m_frame.applied(OuterFrame::Edge::Width, value);
    m_window.resize(m_frame.clientFor({outer, m_window.frame().height}).width,
                    m_window.size().height);
}
void Form1::setHeight(float value) {
    const int outer = m_frame.applied(OuterFrame::Edge::Height, value);
    m_window.resize(m_window.size().width,
                    m_frame.clientFor({m_window.frame().width, outer}).height);
}

}  // namespace tremolex
